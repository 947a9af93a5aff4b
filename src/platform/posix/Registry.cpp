// The registry's JavaSoft keys on Linux, which has no registry: a read-only view of the Java
// installations in one folder. Each directory in it (not a symbolic link) to which the Java
// layer's reader gives a version is one installation, a development kit or a runtime as the reader
// says, listed by its version with the value "JavaHome" = its path.
#include "platform/Registry.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "platform/TextEncoding.h"
#include "platform/posix/JavaInstallations.h"

namespace platform {

namespace {

// Key paths in lower case: registry names ignore case.
const std::wstring kSdkKey = L"software\\javasoft\\java development kit";
const std::wstring kJreKey = L"software\\javasoft\\java runtime environment";

// The longest key name a registry holds, and the longest value text a reader takes.
constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueText = 259;

std::wstring& installationsFolder() {
    static std::wstring folder = L"/usr/lib/jvm";
    return folder;
}

struct Installation {
    std::wstring version;
    std::wstring home;
    bool isSdk;
};

bool isDirectoryNotLink(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

JavaHomeReader& javaHomeReader() {
    static JavaHomeReader reader = nullptr;
    return reader;
}

// Registry names ignore the case of ASCII letters.
std::wstring lowerCaseKeyName(std::wstring name) {
    for (wchar_t& c : name) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return name;
}

bool sameKeyName(const std::wstring& a, const std::wstring& b) {
    return lowerCaseKeyName(a) == lowerCaseKeyName(b);
}

// Whether a registry could hold `name` as the name of a key.
bool isKeyName(const std::wstring& name) {
    return !name.empty() && name.size() <= kMaxKeyName && name.find(L'\\') == std::wstring::npos;
}

// The names in the folder, in name order.
std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return names;
    while (const dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<Installation> readInstallations() {
    std::string folder = toUtf8(installationsFolder());
    if (folder.empty() || folder.back() != '/') folder += '/';
    std::vector<Installation> installations;
    const JavaHomeReader reader = javaHomeReader();
    if (!reader) return installations;
    for (const std::string& name : folderEntries(folder)) {
        const std::string home = folder + name;
        if (name == "." || name == ".." || !isDirectoryNotLink(home)) continue;
        std::optional<JavaHomeListing> listing = reader(fromUtf8(home));
        if (!listing || !isKeyName(listing->version)) continue;
        installations.push_back({std::move(listing->version), fromUtf8(home), listing->isDevelopmentKit});
    }
    return installations;
}

// The installations of the folder, read once: every key opened during one search reads them, and
// the folder does not change meanwhile.
std::optional<std::vector<Installation>>& installationsRead() {
    static std::optional<std::vector<Installation>> installations;
    return installations;
}

const std::vector<Installation>& scanInstallations() {
    std::optional<std::vector<Installation>>& installations = installationsRead();
    if (!installations) installations = readInstallations();
    return *installations;
}

// The subkeys of one JavaSoft key in name order. A registry holds one subkey per name, so of two
// installations with one version the first in name order stands for it.
std::vector<Installation> keyEntries(bool sdk) {
    std::vector<Installation> entries;
    for (const Installation& installation : scanInstallations()) {
        if (installation.isSdk != sdk) continue;
        const auto sameVersion = [&](const Installation& e) { return sameKeyName(e.version, installation.version); };
        if (std::any_of(entries.begin(), entries.end(), sameVersion)) continue;
        entries.push_back(installation);
    }
    return entries;
}

// The subkey names of one JavaSoft key.
std::vector<std::wstring> versionsOf(bool sdk) {
    std::vector<std::wstring> versions;
    for (Installation& entry : keyEntries(sdk)) versions.push_back(std::move(entry.version));
    return versions;
}

// The Java home of the subkey `version` of one JavaSoft key; empty when there is no such subkey.
std::optional<std::wstring> javaHomeOf(bool sdk, const std::wstring& version) {
    for (Installation& entry : keyEntries(sdk)) {
        if (sameKeyName(entry.version, version)) return std::move(entry.home);
    }
    return std::nullopt;
}

}  // namespace

void setJavaHomeReader(JavaHomeReader reader) {
    if (javaHomeReader() == reader) return;
    javaHomeReader() = reader;
    installationsRead().reset();
}

std::wstring setJavaInstallationsFolder(const std::wstring& folder) {
    std::wstring previous = installationsFolder();
    installationsFolder() = folder;
    installationsRead().reset();
    return previous;
}

// A JavaSoft key lists its versions; a version's key holds its Java home.
struct RegistryKey::Handle {
    std::vector<std::wstring> subkeys;
    std::optional<std::wstring> javaHome;
};

RegistryKey::RegistryKey(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
RegistryKey::~RegistryKey() = default;

std::optional<RegistryKey> RegistryKey::open(RegistryRoot root, RegistryView view, const std::wstring& path) {
    if (root != RegistryRoot::LocalMachine || view != RegistryView::Own) return std::nullopt;
    const std::wstring lowerPath = lowerCaseKeyName(path);
    for (const bool sdk : {true, false}) {
        const std::wstring& key = sdk ? kSdkKey : kJreKey;
        if (lowerPath == key) return RegistryKey(std::make_unique<Handle>(Handle{versionsOf(sdk), std::nullopt}));
        if (lowerPath.compare(0, key.size() + 1, key + L"\\") != 0) continue;
        std::optional<std::wstring> javaHome = javaHomeOf(sdk, path.substr(key.size() + 1));
        if (!javaHome) return std::nullopt;
        return RegistryKey(std::make_unique<Handle>(Handle{{}, std::move(javaHome)}));
    }
    return std::nullopt;
}

std::optional<std::wstring> RegistryKey::subkeyName(std::uint32_t index) const {
    if (index >= m_handle->subkeys.size()) return std::nullopt;
    return m_handle->subkeys[index];
}

std::optional<std::wstring> RegistryKey::stringValue(const std::wstring& name) const {
    const std::optional<std::wstring>& javaHome = m_handle->javaHome;
    if (!sameKeyName(name, L"JavaHome") || !javaHome || javaHome->size() > kMaxValueText) return std::nullopt;
    return javaHome;
}

}  // namespace platform
