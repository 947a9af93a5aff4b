// The in-memory registry: platform::RegistryKey over a sorted table of keys, names compared
// without regard to ASCII case as the registry compares them.
#include "FakeRegistry.h"

#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "util/Text.h"

namespace {

using platform::RegistryRoot;
using platform::RegistryView;

// A key's place: its root, its view and its path in lower case.
using KeyId = std::tuple<RegistryRoot, RegistryView, std::wstring>;

struct Key {
    std::wstring path;                           // as it was set, for the subkeys' names
    std::map<std::wstring, std::wstring> values; // by lower-cased name
};

std::map<KeyId, Key>& keys() {
    static std::map<KeyId, Key> table;
    return table;
}

}  // namespace

namespace jvmtest {

void setRegistryValue(RegistryRoot root, RegistryView view, const std::wstring& path, const std::wstring& name,
                      const std::wstring& text) {
    Key& key = keys()[KeyId{root, view, toLowerAscii(path)}];
    key.path = path;
    key.values[toLowerAscii(name)] = text;
}

void clearRegistry() {
    keys().clear();
}

}  // namespace jvmtest

namespace platform {

// Like Windows's registry, this one holds keys of its own.
void setJavaHomeReader(JavaHomeReader) {}

struct RegistryKey::Handle {
    RegistryRoot root;
    RegistryView view;
    std::wstring path;  // lower case
};

RegistryKey::RegistryKey(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
RegistryKey::~RegistryKey() = default;

std::optional<RegistryKey> RegistryKey::open(RegistryRoot root, RegistryView view, const std::wstring& path) {
    const std::wstring lower = toLowerAscii(path);
    for (const auto& [id, key] : keys()) {
        const auto& [keyRoot, keyView, keyPath] = id;
        if (keyRoot != root || keyView != view) continue;
        if (keyPath == lower || startsWith(keyPath, lower + L"\\")) {
            return RegistryKey(std::make_unique<Handle>(Handle{root, view, lower}));
        }
    }
    return std::nullopt;
}

std::optional<std::wstring> RegistryKey::subkeyName(std::uint32_t index) const {
    std::set<std::wstring> lowerNames;
    std::vector<std::wstring> names;
    const std::wstring prefix = m_handle->path + L"\\";
    for (const auto& [id, key] : keys()) {
        const auto& [keyRoot, keyView, keyPath] = id;
        if (keyRoot != m_handle->root || keyView != m_handle->view || !startsWith(keyPath, prefix)) continue;
        const std::wstring name = key.path.substr(prefix.size(), key.path.find(L'\\', prefix.size()) - prefix.size());
        if (lowerNames.insert(toLowerAscii(name)).second) names.push_back(name);
    }
    if (index >= names.size()) return std::nullopt;
    return names[index];
}

std::optional<std::wstring> RegistryKey::stringValue(const std::wstring& name) const {
    const auto key = keys().find(KeyId{m_handle->root, m_handle->view, m_handle->path});
    if (key == keys().end()) return std::nullopt;
    const auto value = key->second.values.find(toLowerAscii(name));
    if (value == key->second.values.end()) return std::nullopt;
    return value->second;
}

}  // namespace platform
