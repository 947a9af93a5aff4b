// VM options and file names as the narrow text the Java VM reads: the system's code page, and short
// names for the paths that code page cannot hold.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// How one system turns wide text into the VM's narrow text; tests choose their own code page.
struct VmTextEncoding {
    // `text` in the VM's code page; empty when a character of it has no exact equivalent there.
    std::function<std::optional<std::string>(const std::wstring&)> encode;
    // The short form of the path of an existing file or folder; empty when there is none.
    std::function<std::optional<std::wstring>(const std::wstring&)> shortPath;
};

// This system's: the process's ANSI code page and short names on Windows, UTF-8 on Linux.
VmTextEncoding systemVmTextEncoding();

// A system property as a "-D<name>=<value>" option sets it.
struct SystemProperty {
    std::wstring name;
    std::wstring value;
};

// The property that the option "-D<name>=<value>" sets (an empty value when "=" is missing); empty
// for every other option.
std::optional<SystemProperty> systemPropertyOf(const std::wstring& option);

// The file or folder name `path` in the VM's code page, or else its short name there; empty when
// neither fits.
std::optional<std::string> encodeFileName(const std::wstring& path, const VmTextEncoding& encoding);

// `option` in the VM's code page. Where the whole option does not fit, a "-D" option whose value is
// an absolute path gets it as a file name (`encodeFileName`), and the class path and library path
// properties each entry of their lists on its own: as it is, else the short name of its longest
// leading part that has one followed by the rest of its names. An entry that still does not fit
// and does not exist is left out (the VM would pass over it) and added to `leftOut`, if given.
// Empty when the option still does not fit.
std::optional<std::string> encodeOption(const std::wstring& option, const VmTextEncoding& encoding,
                                        std::vector<std::wstring>* leftOut = nullptr);

// Whether the VM reads the system property `name` while it starts (the class path, the library
// path, the system class loader, the security manager, user.dir, the encodings, jdk.module.*, ...):
// set any later, it would not take effect.
bool isReadWhileVmStarts(const std::wstring& name);

// The message that ends a launch whose option `option` does not fit the VM's code page.
std::wstring unencodableOptionMessage(const std::wstring& option, const VmTextEncoding& encoding);
