// Rewriting one attribute of the manifest as text, so that the rest of it stays byte for byte.
#include "brand/ManifestLevel.h"

#include "brand/BrandError.h"

namespace {

constexpr std::string_view kElement = "requestedExecutionLevel";
constexpr std::string_view kNameEnd = " \t\r\n/>";
// Longer than any namespace prefix and element name together; bounds the work per tag.
constexpr std::size_t kMaxTagName = 128;

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The offset just after the element's name in its start tag, written with or without a namespace
// prefix; npos when the manifest has no such tag.
std::size_t findElement(std::string_view manifest) {
    for (std::size_t open = manifest.find('<'); open != std::string_view::npos; open = manifest.find('<', open + 1)) {
        const std::string_view window = manifest.substr(open + 1, kMaxTagName);
        const std::string_view name = window.substr(0, window.find_first_of(kNameEnd));
        const std::size_t colon = name.rfind(':');
        if (name.substr(colon == std::string_view::npos ? 0 : colon + 1) == kElement) return open + 1 + name.size();
    }
    return std::string_view::npos;
}

// The offsets of the level attribute's value (after its opening quote, at its closing quote) in
// `tag`, the attributes of a start tag; {npos, npos} when it has no such attribute.
std::pair<std::size_t, std::size_t> findLevelValue(std::string_view tag) {
    for (std::size_t at = tag.find("level"); at != std::string_view::npos; at = tag.find("level", at + 1)) {
        if (at == 0 || !isXmlSpace(tag[at - 1])) continue;
        std::size_t cursor = at + 5;
        while (cursor < tag.size() && isXmlSpace(tag[cursor])) ++cursor;
        if (cursor >= tag.size() || tag[cursor] != '=') continue;
        ++cursor;
        while (cursor < tag.size() && isXmlSpace(tag[cursor])) ++cursor;
        if (cursor >= tag.size() || (tag[cursor] != '"' && tag[cursor] != '\'')) continue;
        const std::size_t close = tag.find(tag[cursor], cursor + 1);
        if (close != std::string_view::npos) return {cursor + 1, close};
    }
    return {std::string_view::npos, std::string_view::npos};
}

}  // namespace

std::string withExecutionLevel(std::string_view manifest, std::string_view level) {
    const std::size_t element = findElement(manifest);
    const std::string_view tag = element == std::string_view::npos
                                     ? std::string_view()
                                     : manifest.substr(element, manifest.find('>', element) - element);
    const auto [valueStart, valueEnd] = findLevelValue(tag);
    if (valueStart == std::string_view::npos) {
        throw BrandError{L"the file's manifest has no requestedExecutionLevel with a level attribute."};
    }
    std::string result(manifest);
    result.replace(element + valueStart, valueEnd - valueStart, level);
    return result;
}
