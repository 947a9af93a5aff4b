// Read-only access to the registry keys that describe installed Java VMs.
// On Windows this is the registry, below HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, in the view of
// the program's own bitness or the other one. Linux has no registry: there the keys "SOFTWARE\JavaSoft\Java Development Kit" and
// "SOFTWARE\JavaSoft\Java Runtime Environment" present the Java installations of a folder
// (/usr/lib/jvm), one subkey per installation named by its version, with the value "JavaHome", in
// HKEY_LOCAL_MACHINE's own view; every other key is missing. What a Java home's own files say is
// for the Java layer to read: it hands its reader down with `setJavaHomeReader`.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// The tree a key path starts from.
enum class RegistryRoot { LocalMachine, CurrentUser };

// Which programs' keys a 64-bit Windows shows: those of the reader's own bitness, or of the other
// one (the 32-bit view to a 64-bit program, the 64-bit view to a 32-bit one). A 32-bit Windows
// has one view only, which both name.
enum class RegistryView { Own, Other };

// What a Java home's own files tell the registry view on Linux: the version that names its subkey,
// and whether it is a development kit (listed under "Java Development Kit", else under "Java
// Runtime Environment").
struct JavaHomeListing {
    std::wstring version;
    bool isDevelopmentKit = false;
};

// Reads a Java home's listing; empty when the home names no version.
using JavaHomeReader = std::optional<JavaHomeListing> (*)(const std::wstring& javaHome);

// Makes the registry view on Linux list each folder of its installations folder by `reader`; until
// then it lists none. Windows's registry holds keys of its own and ignores the reader.
void setJavaHomeReader(JavaHomeReader reader);

class RegistryKey {
public:
    // Opens `path` below `root` in `view` for reading; empty when it cannot be opened.
    static std::optional<RegistryKey> open(RegistryRoot root, RegistryView view, const std::wstring& path);

    // Opens `path` below HKEY_LOCAL_MACHINE in the program's own view.
    static std::optional<RegistryKey> open(const std::wstring& path) {
        return open(RegistryRoot::LocalMachine, RegistryView::Own, path);
    }

    RegistryKey(RegistryKey&&) noexcept;
    RegistryKey& operator=(RegistryKey&&) noexcept;
    ~RegistryKey();

    // The name of the subkey at `index` (at most 259 characters); empty when there is no such
    // subkey or the call fails for any other reason.
    std::optional<std::wstring> subkeyName(std::uint32_t index) const;

    // The text of the value `name` up to its first NUL; empty when the value is missing or longer
    // than 259 characters. The value's type is not examined.
    std::optional<std::wstring> stringValue(const std::wstring& name) const;

private:
    struct Handle;
    explicit RegistryKey(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> m_handle;
};

}  // namespace platform
