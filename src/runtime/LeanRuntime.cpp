// Light replacements for parts of the static C++ runtime that would double the Windows executable.
//
// Linked only into the Windows launcher (src/main/CMakeLists.txt), as an object of the executable
// itself: the linker then finds these definitions before it searches libstdc++ and never pulls the
// archive members that define the originals. Should one of those members be pulled all the same
// (by a new reference to a function only it defines), the link fails with "multiple definition":
// define that function here too.

#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <new>
#include <typeinfo>

// libstdc++'s default std::terminate handler. The original demangles the type of the exception in
// flight, which brings the whole C++ name demangler and the C printf engine behind it (together
// about 65 KB) into the program. This one prints the same lines with the type's mangled name, to a
// standard error stream that a windowed program rarely has, and ends the process as the original
// does.
void __gnu_cxx::__verbose_terminate_handler() {
    if (const std::type_info* type = abi::__cxa_current_exception_type()) {
        std::fputs("terminate called after throwing an instance of '", stderr);
        std::fputs(type->name(), stderr);
        std::fputs("'\n", stderr);
    } else {
        std::fputs("terminate called without an active exception\n", stderr);
    }
    std::abort();
}

namespace {

// What the standard library's checks throw in this program instead of std::length_error,
// std::out_of_range and std::logic_error. Those carry their text in a copy-on-write string, whose
// code comes with the exception classes' (about 50 KB). Nothing in the launcher looks at them:
// every handler reports "any other failure" through catch (...), so the report stays the same.
struct StandardLibraryFailure {};

}  // namespace

// The helpers through which libstdc++'s inline code throws. The library defines all of them in one
// archive member; each one the program refers to is defined here, so that member stays out.
namespace std {

void __throw_bad_alloc() {
    throw bad_alloc();
}

void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}

void __throw_length_error(const char*) {
    throw StandardLibraryFailure();
}

void __throw_logic_error(const char*) {
    throw StandardLibraryFailure();
}

void __throw_out_of_range(const char*) {
    throw StandardLibraryFailure();
}

void __throw_out_of_range_fmt(const char*, ...) {
    throw StandardLibraryFailure();
}

}  // namespace std
