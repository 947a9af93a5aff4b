// Rewriting one attribute of the manifest as text, so that the rest of it stays byte for byte.
#include "brand/ManifestLevel.h"

#include "brand/BrandError.h"

namespace {

constexpr std::string_view kElement = "requestedExecutionLevel";

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The start of the element's name, written with or without a namespace prefix; npos when absent.
std::size_t findElement(std::string_view manifest) {
    for (std::size_t at = manifest.find(kElement); at != std::string_view::npos; at = manifest.find(kElement, at + 1)) {
        const std::size_t tagStart = manifest.rfind('<', at);
        if (tagStart == std::string_view::npos) continue;
        const std::string_view prefix = manifest.substr(tagStart + 1, at - tagStart - 1);
        const bool prefixed = !prefix.empty() && prefix.back() == ':' && prefix.find_first_of(" \t\r\n>/") == std::string_view::npos;
        if (prefix.empty() || prefixed) return at + kElement.size();
    }
    return std::string_view::npos;
}

// The offsets of the level attribute's value (after its opening quote, at its closing quote) within
// the tag whose attributes start at `from`; {npos, npos} when the tag has no such attribute.
std::pair<std::size_t, std::size_t> findLevelValue(std::string_view manifest, std::size_t from) {
    const std::size_t tagEnd = manifest.find('>', from);
    for (std::size_t at = manifest.find("level", from); at < tagEnd; at = manifest.find("level", at + 1)) {
        std::size_t cursor = at + 5;
        if (!isXmlSpace(manifest[at - 1])) continue;
        while (cursor < tagEnd && isXmlSpace(manifest[cursor])) ++cursor;
        if (cursor >= tagEnd || manifest[cursor] != '=') continue;
        ++cursor;
        while (cursor < tagEnd && isXmlSpace(manifest[cursor])) ++cursor;
        if (cursor >= tagEnd || (manifest[cursor] != '"' && manifest[cursor] != '\'')) continue;
        const std::size_t close = manifest.find(manifest[cursor], cursor + 1);
        if (close < tagEnd) return {cursor + 1, close};
    }
    return {std::string_view::npos, std::string_view::npos};
}

}  // namespace

std::string withExecutionLevel(std::string_view manifest, std::string_view level) {
    const std::size_t element = findElement(manifest);
    const auto [valueStart, valueEnd] =
        element == std::string_view::npos ? std::pair{element, element} : findLevelValue(manifest, element);
    if (valueStart == std::string_view::npos) {
        throw BrandError{L"the file's manifest has no requestedExecutionLevel with a level attribute."};
    }
    std::string result(manifest);
    result.replace(valueStart, valueEnd - valueStart, level);
    return result;
}
