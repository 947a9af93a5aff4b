// Reading the options of wexal-brand into a request.
#include "brand/BrandCommandLine.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "brand/BrandError.h"
#include "platform/TextEncoding.h"
#include "util/Text.h"

const wchar_t* const kBrandUsage =
    L"Usage: wexal-brand INPUT.exe OUTPUT.exe [--icon FILE.ico|FILE.png] [--version X.Y.Z[.W]]\n"
    L"            [--product-name TEXT] [--description TEXT] [--company TEXT] [--copyright TEXT]\n"
    L"            [--original-filename TEXT] [--execution-level asInvoker|highestAvailable|requireAdministrator]";

namespace {

// The options that set one text of the version resource, and the text's name.
const std::pair<const wchar_t*, const char16_t*> kTextOptions[] = {
    {L"--product-name", u"ProductName"},
    {L"--description", u"FileDescription"},
    {L"--company", u"CompanyName"},
    {L"--copyright", u"LegalCopyright"},
    {L"--original-filename", u"OriginalFilename"},
};

[[noreturn]] void wrongCommandLine(const std::wstring& problem) {
    throw BrandError{problem + L"\n" + kBrandUsage};
}

// Sets the text `name` of the version resource, replacing an earlier value of the same option.
void setText(VersionEdits& edits, const std::u16string& name, const std::u16string& text) {
    for (auto& [existing, value] : edits.texts) {
        if (existing == name) {
            value = text;
            return;
        }
    }
    edits.texts.emplace_back(name, text);
}

// The four figures of X.Y.Z or X.Y.Z.W, each a decimal number up to 65535; empty otherwise.
std::optional<std::array<std::uint16_t, 4>> versionFigures(const std::wstring& text) {
    std::array<std::uint16_t, 4> figures{};
    std::size_t count = 0;
    std::size_t start = 0;
    while (count < 4) {
        const std::size_t end = std::min(text.find(L'.', start), text.size());
        const std::wstring part = text.substr(start, end - start);
        if (part.empty() || part.size() > 5) return std::nullopt;
        std::uint32_t value = 0;
        for (wchar_t digit : part) {
            if (!isAsciiDigit(digit)) return std::nullopt;
            value = value * 10 + static_cast<std::uint32_t>(digit - L'0');
        }
        if (value > 0xFFFF) return std::nullopt;
        figures[count++] = static_cast<std::uint16_t>(value);
        if (end == text.size()) return count >= 3 ? std::optional(figures) : std::nullopt;
        start = end + 1;
    }
    return std::nullopt;
}

void applyOption(BrandRequest& request, const std::wstring& option, const std::wstring& value) {
    for (const auto& [name, textName] : kTextOptions) {
        if (option == name) return setText(request.version, textName, toUtf16(value));
    }
    if (option == L"--icon") {
        request.icon = value;
    } else if (option == L"--version") {
        request.version.figures = versionFigures(value);
        if (!request.version.figures) {
            wrongCommandLine(L"--version takes X.Y.Z or X.Y.Z.W, each a number from 0 to 65535: " + value);
        }
        setText(request.version, u"FileVersion", toUtf16(value));
        setText(request.version, u"ProductVersion", toUtf16(value));
    } else if (option == L"--execution-level") {
        if (value != L"asInvoker" && value != L"highestAvailable" && value != L"requireAdministrator") {
            wrongCommandLine(L"--execution-level takes asInvoker, highestAvailable or requireAdministrator: " + value);
        }
        request.executionLevel = toUtf8(value);
    } else {
        wrongCommandLine(L"Unknown option: " + option);
    }
}

}  // namespace

BrandRequest parseBrandArguments(const std::vector<std::wstring>& arguments) {
    BrandRequest request;
    std::vector<std::wstring> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (!startsWith(argument, L"--")) {
            files.push_back(argument);
            continue;
        }
        if (i + 1 == arguments.size()) wrongCommandLine(argument + L" needs a value.");
        applyOption(request, argument, arguments[++i]);
    }
    if (files.size() != 2) wrongCommandLine(L"Name the launcher to brand and the file to write.");
    request.input = files[0];
    request.output = files[1];
    if (request.input == request.output) {
        wrongCommandLine(L"OUTPUT must be another file than INPUT, which stays unchanged.");
    }
    return request;
}
