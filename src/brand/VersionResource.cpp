// The version resource as a tree of nodes (key, type, value, children), each 4-byte aligned.
#include "brand/VersionResource.h"

#include "brand/BrandError.h"
#include "brand/Bytes.h"

namespace {

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uint16_t kTextType = 1;
constexpr std::size_t kHeaderSize = 6;
// VS_VERSIONINFO > StringFileInfo > string table > text; deeper nesting means a damaged resource.
constexpr int kMaxDepth = 4;

struct VersionNode {
    std::u16string key;
    std::uint16_t type = 0;
    std::string value;  // texts as UTF-16 code units with their closing zero
    std::vector<VersionNode> children;
};

[[noreturn]] void damaged() {
    throw BrandError{L"the file is damaged (its version resource is broken)."};
}

// The node at `offset` of `bytes` and the offset of its end; it must end by `limit`.
std::pair<VersionNode, std::size_t> readNode(const ByteView& bytes, std::size_t offset, std::size_t limit, int depth) {
    const std::size_t length = bytes.u16(offset);
    if (depth == kMaxDepth || length < kHeaderSize || length > limit - offset) damaged();
    const std::size_t end = offset + length;
    VersionNode node;
    const std::size_t valueLength = bytes.u16(offset + 2);
    node.type = bytes.u16(offset + 4);
    std::size_t cursor = offset + kHeaderSize;
    for (; cursor + 2 <= end && bytes.u16(cursor) != 0; cursor += 2) {
        node.key.push_back(static_cast<char16_t>(bytes.u16(cursor)));
    }
    if (cursor + 2 > end) damaged();
    const std::size_t valueStart = alignUp(cursor + 2, 4);
    const std::size_t room = valueStart < end ? end - valueStart : 0;
    const std::size_t valueSize = node.type == kTextType ? valueLength * 2 : valueLength;
    // Some resource compilers count a text's length in bytes: never read past the node for it.
    if (valueSize != 0) node.value = std::string(bytes.bytes(valueStart, valueSize < room ? valueSize : room));
    for (std::size_t child = alignUp(valueStart + node.value.size(), 4); child < end;) {
        auto [childNode, childEnd] = readNode(bytes, child, end, depth + 1);
        node.children.push_back(std::move(childNode));
        child = alignUp(childEnd, 4);
    }
    return {std::move(node), end};
}

VersionNode readRoot(std::string_view resource) {
    const ByteView bytes(resource, L"the version resource");
    return readNode(bytes, 0, resource.size(), 0).first;
}

std::string writeNode(const VersionNode& node) {
    std::string bytes(kHeaderSize, '\0');
    for (char16_t unit : node.key) appendU16(bytes, unit);
    appendU16(bytes, 0);
    padTo(bytes, 4);
    bytes += node.value;
    for (const VersionNode& child : node.children) {
        padTo(bytes, 4);
        bytes += writeNode(child);
    }
    if (bytes.size() > 0xFFFF) throw BrandError{L"the version texts are too long for a version resource."};
    putU16(bytes, 0, static_cast<std::uint16_t>(bytes.size()));
    putU16(bytes, 2, static_cast<std::uint16_t>(node.type == kTextType ? node.value.size() / 2 : node.value.size()));
    putU16(bytes, 4, node.type);
    return bytes;
}

std::u16string textOf(const VersionNode& node) {
    const ByteView value(node.value, L"the version resource");
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value.size() && value.u16(i) != 0; i += 2) {
        text.push_back(static_cast<char16_t>(value.u16(i)));
    }
    return text;
}

std::string textValue(const std::u16string& text) {
    std::string value;
    for (char16_t unit : text) appendU16(value, unit);
    appendU16(value, 0);
    return value;
}

void setText(VersionNode& table, const std::u16string& name, const std::u16string& text) {
    for (VersionNode& entry : table.children) {
        if (entry.key == name) {
            entry.value = textValue(text);
            entry.type = kTextType;
            return;
        }
    }
    table.children.push_back(VersionNode{name, kTextType, textValue(text), {}});
}

void setFigures(VersionNode& root, const std::array<std::uint16_t, 4>& figures) {
    if (root.value.size() < 24 || ByteView(root.value, L"the version resource").u32(0) != kFixedInfoSignature) {
        throw BrandError{L"the file's version resource has no fixed file information."};
    }
    const std::uint32_t high = std::uint32_t{figures[0]} << 16 | figures[1];
    const std::uint32_t low = std::uint32_t{figures[2]} << 16 | figures[3];
    for (std::size_t offset : {8, 16}) {
        putU32(root.value, offset, high);
        putU32(root.value, offset + 4, low);
    }
}

// Calls `visit` for each string table of the StringFileInfo blocks under `root`.
template <class Root, class Visit>
void forEachStringTable(Root& root, Visit visit) {
    for (auto& block : root.children) {
        if (block.key != u"StringFileInfo") continue;
        for (auto& table : block.children) visit(table);
    }
}

}  // namespace

std::optional<std::u16string> versionText(std::string_view resource, std::u16string_view name) {
    const VersionNode root = readRoot(resource);
    std::optional<std::u16string> found;
    forEachStringTable(root, [&](const VersionNode& table) {
        for (const VersionNode& entry : table.children) {
            if (!found && entry.key == name) found = textOf(entry);
        }
    });
    return found;
}

std::string editVersionResource(std::string_view resource, const VersionEdits& edits) {
    VersionNode root = readRoot(resource);
    if (edits.figures) setFigures(root, *edits.figures);
    forEachStringTable(root, [&](VersionNode& table) {
        for (const auto& [name, text] : edits.texts) setText(table, name, text);
    });
    return writeNode(root);
}
