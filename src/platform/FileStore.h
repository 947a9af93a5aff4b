// Keeping files of one's own: their stamps and first bytes, folders created on demand, exclusive creation,
// whole files written at once, removal, publication under a final name, and the free space of a
// folder's volume.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What tells one version of a file from another without reading it.
struct FileStamp {
    std::uint64_t size;
    std::int64_t modified;  // in the system's own units (nanoseconds on Linux, 100 ns on Windows)
    bool operator==(const FileStamp& other) const { return size == other.size && modified == other.modified; }
};

// The stamp of the file or folder at `path` (links followed); empty when it cannot be read.
std::optional<FileStamp> fileStamp(const std::wstring& path);

// Whole seconds since the file `path` was last written, 0 for a time ahead of the clock; empty
// when it cannot be read.
std::optional<std::uint64_t> secondsSinceWritten(const std::wstring& path);

// The first `count` bytes of the file `path` (fewer when it is shorter); empty when it cannot be
// opened or read.
std::optional<std::string> readFileStart(const std::wstring& path, std::size_t count);

// Creates the folder `path` and any missing folder above it; true when the folder exists
// afterwards.
bool createDirectories(const std::wstring& path);

// Creates the empty file `path`; false when it exists already or cannot be created.
bool createNewFile(const std::wstring& path);

// Creates the file `path`, which must not exist yet, and writes `bytes` into it, flushed to the
// disk. False when the file exists already or cannot be created or written; a partly written file
// is then removed.
bool writeNewFile(const std::wstring& path, std::string_view bytes);

// Appends `bytes` unchanged to the file `path`, creating it when missing, while others may read,
// write, rename or remove it; false when it cannot be opened or written.
bool appendBytesToFile(const std::wstring& path, const std::string& bytes);

// Removes the file `path`, also when it is marked read-only; false when it cannot be removed.
bool removeFile(const std::wstring& path);

// Gives the file `from` the name `to` in one step, so that no one ever sees a partly written
// `to`; false, with nothing changed, when `to` exists or the move fails.
bool renameWithoutReplacing(const std::wstring& from, const std::wstring& to);

// Gives the file `from` the name `to` in one step, replacing a file `to` that exists already; false,
// with nothing changed, when the move fails.
bool renameReplacing(const std::wstring& from, const std::wstring& to);

// The bytes this process may still write on the volume of the folder `directory`; empty when
// that cannot be read.
std::optional<std::uint64_t> freeBytes(const std::wstring& directory);

}  // namespace platform
