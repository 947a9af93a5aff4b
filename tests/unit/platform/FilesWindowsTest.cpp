// The file system services where Windows differs: hidden and system entries, single-byte lines
// ending in CR LF.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DirectoryListing.h"
#include "platform/Files.h"
#include "platform/PrivateFolders.h"
#include "platform/win32/Win32.h"

#include <aclapi.h>
#include <sddl.h>
#include "support/TempDir.h"

namespace {

TEST(ListDirectoryOnWindows, ListsHiddenAndSystemEntries) {
    TempDir dir;
    const std::wstring hidden = dir.writeFile(L"hidden.jar", "");
    const std::wstring system = dir.makeDir(L"system");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(sortedListing(dir.path() + L"\\"), (std::vector<std::string>{"../", "./", "hidden.jar", "system/"}));
}

TEST(AppendLineToFileOnWindows, CreatesTheFileAndAppendsSingleByteLinesEndingInCrLf) {
    TempDir dir;
    const std::wstring file = dir / L"debug.log";
    platform::appendLineToFile(file, L"The chosen JVM: first");
    platform::appendLineToFile(file, L"caf\u00e9 \u00ff");
    EXPECT_EQ(platform::readFileBytes(file), "The chosen JVM: first\r\ncaf\xe9 \xff\r\n");
}

TEST(AppendLineToFileOnWindows, WritesAQuestionMarkForEachCharacterBeyondU00FF) {
    TempDir dir;
    const std::wstring file = dir / L"debug.log";
    // U+1F600 takes two UTF-16 units but is one character.
    platform::appendLineToFile(file, L"price \u20ac, smile \U0001F600, end");
    EXPECT_EQ(platform::readFileBytes(file), "price ?, smile ?, end\r\n");
}

// A folder made with the access list `sddl`.
std::wstring folderWithAccessList(const TempDir& dir, const wchar_t* name, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr));
    const std::wstring folder = dir / name;
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    EXPECT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr),
              DWORD{ERROR_SUCCESS});
    LocalFree(descriptor);
    return folder;
}

TEST(PrivateFoldersOnWindows, AFolderOthersMayChangeIsNotPrivate) {
    TempDir dir;
    // Everyone with full access. (Wine keeps an access list as the folder's mode bits, so an entry
    // for Authenticated Users, as folders directly below C:\ have it, cannot be tried there.)
    EXPECT_EQ(platform::whyNotPrivate(folderWithAccessList(dir, L"everyone", L"D:P(A;OICI;FA;;;WD)")),
              std::wstring(L"other accounts can write to it"));
    EXPECT_EQ(platform::whyNotPrivate(folderWithAccessList(dir, L"readers", L"D:P(A;OICI;FR;;;WD)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)")),
              std::nullopt);
}

}  // namespace
