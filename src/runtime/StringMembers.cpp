// The out-of-line members of std::string and std::wstring that the Windows launcher calls,
// compiled for it here.
//
// In C++17 the library's headers declare both strings extern templates, so every call of an
// out-of-line member links the library's prebuilt instantiation: two archive members of over
// 30 KB each, which come in whole, and which the 32-bit linker cannot trim, since its script keeps
// the unwind entry of every function linked, and with it the function. This file, an object of
// the launcher itself, defines the members that the launcher calls before the linker searches
// the library, so that it never needs those archive members.
//
// The list is the launcher's own: a member that new code calls and that is missing here brings the
// library's archive member back, which the release build's check of the linker's map reports with
// the member's name (cmake/CheckWindowsLauncher.cmake). Add it here.

// The value -1, which the library itself uses for its checked mode, drops the extern declarations
// of the strings alone, so that the inline members that the listed ones call are compiled here too.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1

#include <string>

using String = std::string;
using WideString = std::wstring;
using Size = std::string::size_type;

// Compiles `function` here: a pointer to it is kept in a constant of this file. Used for
// _S_copy_chars, which no explicit instantiation can name: a member template of the same
// signature makes every such declaration ambiguous. (The template argument of an explicit
// instantiation may name a private member. The constant needs external linkage: one of internal
// linkage is left out, and the function with it.)
template <typename Function, Function function>
struct CompiledHere {
    static const Function pointer;
};

template <typename Function, Function function>
const Function CompiledHere<Function, function>::pointer = function;

template struct CompiledHere<void (*)(char*, const char*, const char*) noexcept, &String::_S_copy_chars>;
template struct CompiledHere<void (*)(wchar_t*, const wchar_t*, const wchar_t*) noexcept, &WideString::_S_copy_chars>;

template String::basic_string(const String&);
template String::basic_string(String&&) noexcept;
template void String::_M_dispose();
template void String::_M_construct(Size, char);
template char* String::_M_create(Size&, Size);
template void String::_S_copy(char*, const char*, Size);
template String& String::_M_append(const char*, Size);
template String& String::append(const char*);
template String& String::insert(Size, const char*);
template void String::push_back(char);
template void String::pop_back();
template void String::resize(Size);
template void String::reserve(Size);
template Size String::find(const String&, Size) const noexcept;
template Size String::find(char, Size) const noexcept;
template Size String::rfind(const char*, Size) const;
template Size String::find_first_of(const char*, Size) const;
template Size String::find_first_not_of(const char*, Size) const;
template Size String::find_last_not_of(const char*, Size) const;
template String String::substr(Size, Size) const;
template int String::compare(Size, Size, const char*) const;
template int String::compare(const char*) const;
template int String::compare(Size, Size, const String&) const;

template WideString::basic_string(const WideString&);
template WideString::basic_string(WideString&&) noexcept;
template void WideString::_M_dispose();
template void WideString::_M_construct(Size, wchar_t);
template wchar_t* WideString::_M_create(Size&, Size);
template void WideString::_M_set_length(Size);
template void WideString::_M_assign(const WideString&);
template void WideString::_S_copy(wchar_t*, const wchar_t*, Size);
template WideString& WideString::_M_append(const wchar_t*, Size);
template WideString& WideString::_M_replace(Size, Size, const wchar_t*, Size);
template WideString& WideString::_M_replace_aux(Size, Size, Size, wchar_t);
template void WideString::_M_erase(Size, Size);
template WideString& WideString::append(const wchar_t*);
template WideString& WideString::append(const wchar_t*, Size);
template WideString& WideString::append(const WideString&);
template WideString& WideString::append(Size, wchar_t);
template WideString& WideString::insert(Size, const wchar_t*);
template WideString& WideString::insert(Size, const WideString&);
template WideString& WideString::insert(Size, Size, wchar_t);
template WideString::iterator WideString::insert(WideString::const_iterator, wchar_t);
template void WideString::push_back(wchar_t);
template void WideString::pop_back();
template void WideString::resize(Size);
template void WideString::reserve(Size);
template WideString::iterator WideString::end();
template WideString::const_iterator WideString::end() const;
template wchar_t& WideString::back();
template Size WideString::find(const wchar_t*, Size) const;
template Size WideString::find(const WideString&, Size) const noexcept;
template Size WideString::find(wchar_t, Size) const noexcept;
template Size WideString::rfind(wchar_t, Size) const noexcept;
template Size WideString::find_last_of(const wchar_t*, Size) const;
template Size WideString::find_first_not_of(const wchar_t*, Size) const;
template const wchar_t& WideString::back() const noexcept;
template void WideString::swap(WideString&) noexcept;
template Size WideString::find_first_of(const wchar_t*, Size) const;
template Size WideString::find_first_not_of(wchar_t, Size) const noexcept;
template WideString WideString::substr(Size, Size) const;
template int WideString::compare(const wchar_t*) const;
template int WideString::compare(const WideString&) const;
template int WideString::compare(Size, Size, const WideString&) const;
