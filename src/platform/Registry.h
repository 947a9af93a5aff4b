// Read-only access to the keys of HKEY_LOCAL_MACHINE that describe installed Java VMs.
// On Windows this is the registry in the view of the program's own bitness. Linux has no
// registry: there the keys "SOFTWARE\JavaSoft\Java Development Kit" and
// "SOFTWARE\JavaSoft\Java Runtime Environment" present the Java installations of a folder
// (/usr/lib/jvm), one subkey per installation named by its version, with the value "JavaHome".
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class RegistryKey {
public:
    // Opens `path` below HKEY_LOCAL_MACHINE for reading; empty when it cannot be opened.
    static std::optional<RegistryKey> open(const std::wstring& path);

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
