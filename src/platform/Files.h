// File system services: existence, directory listing, whole-file reading, appending lines,
// the current directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FunctionRef.h"

namespace platform {

// True when a find-first search for the unchanged path finds an entry (a file or a folder). A
// pattern with wildcards counts when it matches; a path ending in a separator is never found.
bool findsEntry(const std::wstring& path);

// One entry of a directory listing.
struct DirectoryEntry {
    std::wstring name;  // the long name, without the directory; "." and ".." are listed too
    bool isDirectory;   // a folder, or a link or reparse point that leads to one
};

// Lists every entry of `directory` (which ends in a separator), hidden and system entries
// included. Windows lists them in the order the system returns them (by name on its own file
// systems); Linux sorts them as a Windows file system does, by their UTF-16 code units compared
// without case, so that one configuration gives one class path on every machine. Returns false, having called nothing, when the
// listing cannot be started (missing or unreadable directory).
bool listDirectory(const std::wstring& directory, FunctionRef<void(const DirectoryEntry&)> visit);

// Identifies a directory independently of the path that reaches it (device and inode on Linux,
// volume and file index on Windows), so that a scan can notice a folder it has met before through
// a link, a junction or another reparse point.
struct FileIdentity {
    std::uint64_t volume;
    std::uint64_t index;
    bool operator==(const FileIdentity& other) const { return volume == other.volume && index == other.index; }
    bool operator<(const FileIdentity& other) const { return volume != other.volume ? volume < other.volume : index < other.index; }
};

// The identity of the folder `directory` (links followed); empty when it cannot be read.
std::optional<FileIdentity> directoryIdentity(const std::wstring& directory);

// The whole content of a file as bytes, unchanged. Empty when the file cannot be opened or read
// (missing, a folder, access denied).
std::optional<std::string> readFileBytes(const std::wstring& path);

// At most `maxBytes` bytes from the start of a file, read with one call (fewer when the file is
// shorter). Empty when the file cannot be opened or read.
std::optional<std::string> readFileHead(const std::wstring& path, std::size_t maxBytes);

// Appends `text` and the system's line end (CR LF on Windows) to a file that others may read and
// write meanwhile, creating it when missing. Characters the file's single-byte encoding cannot
// hold are written as '?' (on Linux the line is written in UTF-8). Does nothing when the file
// cannot be opened.
void appendLineToFile(const std::wstring& path, const std::wstring& text);

// The process's current directory; empty when it cannot be read or does not fit the system's
// path limit (259 characters on Windows).
std::optional<std::wstring> currentDirectory();

// Makes `path` the process's current directory; false when that fails.
bool changeDirectory(const std::wstring& path);

}  // namespace platform
