// Loading a library of our own, by full path, by relative name, and not along a search path.
#include <gtest/gtest.h>

#include <string>

#include "ScopedCurrentDirectory.h"
#include "platform/DynamicLibrary.h"
#include "platform/Files.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "support/TempDir.h"

namespace {

// The test library is built beside the test program.
const std::wstring kLibraryName = fromUtf8(WEXAL_TEST_LIBRARY_NAME);

std::wstring executableFolder() {
    const std::wstring program = platform::executablePath();
    return program.substr(0, program.rfind(platform::kPathSeparator) + 1);
}

TEST(LoadLibrary, LoadsALibraryByItsFullPathAndFindsItsFunctions) {
    platform::Library* library = platform::loadLibrary(executableFolder() + kLibraryName);
    ASSERT_NE(library, nullptr);
    const auto answer = reinterpret_cast<int (*)()>(platform::librarySymbol(library, "wexalTestAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(platform::librarySymbol(library, "noSuchFunction"), nullptr);
    platform::freeLibrary(library);
}

TEST(LoadLibrary, FindsABareNameInTheCurrentDirectory) {
    ScopedCurrentDirectory restore;
    ASSERT_TRUE(platform::changeDirectory(executableFolder()));
    platform::Library* library = platform::loadLibrary(kLibraryName);
    EXPECT_NE(library, nullptr);
    platform::freeLibrary(library);
}

TEST(LoadLibrary, NeverLooksABareNameUpAlongTheSearchPath) {
    // Windows would search the executable's own folder, where the library lies.
    TempDir dir;
    ScopedCurrentDirectory restore;
    ASSERT_TRUE(platform::changeDirectory(dir.path()));
    EXPECT_EQ(platform::loadLibrary(kLibraryName), nullptr);
}

TEST(LoadLibrary, GivesNullForAMissingLibrary) {
    TempDir dir;
    EXPECT_EQ(platform::loadLibrary(dir / kLibraryName), nullptr);
    EXPECT_EQ(platform::librarySymbol(nullptr, "wexalTestAnswer"), nullptr);
}

}  // namespace
