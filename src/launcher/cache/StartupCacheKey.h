// What a launch's class-data cache depends on, boiled down to a short hash for the cache's name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whether `option` is the user's own choice about class-data sharing (-Xshare, an archive or an
// ahead-of-time cache of their own), which leaves the launcher's cache out of the launch.
bool choosesOwnClassSharing(const std::wstring& option);

// Whether `option` may change which classes the VM loads or how it lays them out (-XX options,
// the class path, modules, agents, the boot class path). Heap and stack sizes do not: they vary
// with the machine's free memory from one start to the next.
bool changesClassLoading(const std::wstring& option);

// Why the VM cannot map a program's archive at all with `options` (the configuration's and the
// environment's): class-data sharing switched off, or compressed class pointers off, without
// which the VM has no base archive to build on; empty when neither.
std::wstring whySharingIsOff(const std::vector<std::wstring>& options);

// Whether the VM runs without compressed object pointers, which makes it use another base archive:
// -XX:-UseCompressedOops, or a maximum heap of 32 GB or more (the last -Xmx or -XX:MaxHeapSize,
// else the VM's default of a quarter of `physicalBytes`).
bool withoutCompressedOops(const std::vector<std::wstring>& options, std::uint64_t physicalBytes);

// One text that changes whenever a cache made for the launch would no longer fit it: the VM
// library's path, size and time, whether object pointers are compressed, the options that change
// class loading (the class path among them, the last one counting) and the size and time of every
// class path entry (for an entry "<folder>/*", of each jar in the folder). Missing files count as
// missing, not as failures.
std::wstring cacheDependencies(const std::wstring& vmLibrary, const std::vector<std::wstring>& options, bool compressedOops);

// False when an entry of the last class path option is a folder that holds anything: the VM
// archives classes of jar files only, and refuses to write an archive at all then (ending the
// process with an error).
bool classPathCanBeArchived(const std::vector<std::wstring>& options);

// Sixteen lower-case hexadecimal digits: the 64-bit FNV-1a hash of `text` in UTF-8.
std::wstring shortHash(const std::wstring& text);

// `value` in sixteen lower-case hexadecimal digits.
std::wstring sixteenHexDigits(std::uint64_t value);
