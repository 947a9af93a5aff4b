// The steps of wexal-brand, and its messages.
#include "brand/BrandTool.h"

#include "brand/BrandCommandLine.h"
#include "brand/BrandError.h"
#include "brand/Branding.h"
#include "platform/FileStore.h"
#include "platform/Files.h"
#include "platform/StandardStreams.h"
#include "util/Text.h"

namespace {

// Temporary names tried beside OUTPUT, in case earlier runs left some behind.
constexpr int kTemporaryNames = 16;

std::string readInput(const std::wstring& path) {
    std::optional<std::string> bytes = platform::readFileBytes(path);
    if (!bytes) throw BrandError{L"the file cannot be read."};
    return std::move(*bytes);
}

void writeOutput(const std::wstring& path, const std::string& bytes) {
    for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
        const std::wstring temporary = path + L".brand-" + toDecimal(static_cast<std::uint64_t>(attempt));
        if (!platform::writeNewFile(temporary, bytes)) continue;
        if (platform::renameReplacing(temporary, path)) return;
        platform::removeFile(temporary);
        throw BrandError{L"the file cannot be replaced."};
    }
    throw BrandError{L"the file cannot be written (no temporary file could be written beside it)."};
}

}  // namespace

int runBrandTool(const std::vector<std::wstring>& arguments) {
    std::wstring subject;  // the file of the current step, named in front of its failure
    try {
        const BrandRequest request = parseBrandArguments(arguments);
        Branding branding{std::nullopt, request.version, request.executionLevel};
        if (request.icon) {
            subject = *request.icon;
            branding.icon = readIconImages(readInput(subject));
        }
        subject = request.input;
        const std::string branded = brandLauncher(readInput(subject), branding);
        subject = request.output;
        writeOutput(subject, branded);
        return 0;
    } catch (const BrandError& error) {
        platform::writeErrorLine(L"wexal-brand: " + (subject.empty() ? L"" : subject + L": ") + error.reason);
        return 1;
    }
}
