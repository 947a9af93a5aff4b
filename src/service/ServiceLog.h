// A service's log file, rolled over by size while the program writes to it.
#pragma once

#include <cstdint>
#include <string>

// The file <base>.log, rolled over to <base>.1.log (the newest) up to <base>.<keep>.log.
class RollingLogFile {
public:
    // `base` is the full path without ".log"; the folder is created at the first write.
    RollingLogFile(std::wstring base, std::uint64_t maxBytes, std::uint32_t keepCount);

    // Appends `bytes`; rolls the file over first when it holds something and would grow beyond the
    // maximum (so a piece larger than the maximum gets a file of its own). Bytes that cannot be
    // written are dropped: nobody could be told.
    void write(const std::string& bytes);

private:
    std::wstring pathOf(std::uint32_t index) const;
    void rollOver();

    std::wstring m_base;
    std::uint64_t m_maxBytes;
    std::uint32_t m_keepCount;
    std::uint64_t m_size;
};
