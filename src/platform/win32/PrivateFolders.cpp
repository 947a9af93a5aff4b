// Private folders on Windows: the folder's attributes, owner and access list, and
// CreateDirectoryW with a protected access list for the account, SYSTEM and Administrators.
#include "platform/PrivateFolders.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

#include "platform/win32/Win32.h"

namespace platform {
namespace {

// Rights that let a holder add, change, remove or re-own what a folder holds.
constexpr ACCESS_MASK kChangingRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                        FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

struct LocalFreeDeleter {
    void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreeDeleter>;

// The running account's security identifier, in a buffer of its own; empty when it cannot be read.
std::vector<unsigned char> accountSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    const bool read = size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!read) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const unsigned char* const bytes = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(bytes, bytes + GetLengthSid(sid));
}

// Whether `sid` is the account's, SYSTEM's (S-1-5-18), the Administrators group's (S-1-5-32-544)
// or CREATOR OWNER's (S-1-3-0), which stands for whoever creates an entry inside: the rights to
// create one are granted apart.
bool isTrustedSid(PSID sid, PSID account) {
    return EqualSid(sid, account) || IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           IsWellKnownSid(sid, WinCreatorOwnerSid);
}

// Whether an entry of `acl` lets an untrusted account change the folder. Entries that only pass
// to what the folder holds (inherit-only) count too: they rule the files the VM creates there.
bool grantsOthersChange(const ACL* acl, PSID account) {
    for (DWORD index = 0; index < acl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(const_cast<ACL*>(acl), index, &entry)) return true;
        const ACE_HEADER* const header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        const ACCESS_ALLOWED_ACE* const allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if ((allowed->Mask & kChangingRights) != 0 && !isTrustedSid(sid, account)) return true;
    }
    return false;
}

}  // namespace

std::optional<std::wstring> whyNotPrivate(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::wstring(L"it cannot be read");
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return std::wstring(L"it is a symbolic link or another reparse point");
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring(L"it is no folder");
    std::vector<unsigned char> account = accountSid();
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD read = GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                             &owner, nullptr, &acl, nullptr, &descriptor);
    const LocalMemory held(descriptor);
    if (read != ERROR_SUCCESS || account.empty()) return std::wstring(L"its owner and access list cannot be read");
    if (!owner || !EqualSid(owner, account.data())) return std::wstring(L"another account owns it");
    // A missing access list lets everyone do everything.
    if (!acl || grantsOthersChange(acl, account.data())) return std::wstring(L"other accounts can write to it");
    return std::nullopt;
}

bool createPrivateDirectories(const std::wstring& folder) {
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const std::size_t separator = folder.find_last_of(L"\\/");
    // A drive root ("C:\") or a share exists or not; it cannot be created.
    if (separator != std::wstring::npos && separator > 2) createPrivateDirectories(folder.substr(0, separator));
    std::vector<unsigned char> account = accountSid();
    wchar_t* sidText = nullptr;
    if (account.empty() || !ConvertSidToStringSidW(account.data(), &sidText)) return false;
    const LocalMemory heldSid(sidText);
    // Owned by the account; "P" protects the list from the parent's inheritable entries; each
    // entry passes to files and folders created inside ("OICI").
    const std::wstring sid = sidText;
    const std::wstring sddl = L"O:" + sid + L"D:P(A;OICI;FA;;;" + sid + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) return false;
    const LocalMemory heldDescriptor(descriptor);
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
    // Another process may create it meanwhile.
    return CreateDirectoryW(folder.c_str(), &security) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace platform
