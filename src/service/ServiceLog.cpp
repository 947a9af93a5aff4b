// Rolling a service's log file over by size.
#include "service/ServiceLog.h"

#include <optional>
#include <utility>

#include "platform/FileStore.h"
#include "platform/PathConventions.h"

RollingLogFile::RollingLogFile(std::wstring base, std::uint64_t maxBytes, std::uint32_t keepCount)
    : m_base(std::move(base)), m_maxBytes(maxBytes), m_keepCount(keepCount) {
    const std::optional<platform::FileStamp> stamp = platform::fileStamp(pathOf(0));
    m_size = stamp ? stamp->size : 0;
}

void RollingLogFile::write(const std::string& bytes) {
    if (m_size > 0 && m_size + bytes.size() > m_maxBytes) rollOver();
    if (!platform::appendBytesToFile(pathOf(0), bytes)) {
        const std::size_t folderEnd = m_base.find_last_of(platform::kPathSeparators);
        if (folderEnd == std::wstring::npos || !platform::createDirectories(m_base.substr(0, folderEnd))) return;
        if (!platform::appendBytesToFile(pathOf(0), bytes)) return;
    }
    m_size += bytes.size();
}

std::wstring RollingLogFile::pathOf(std::uint32_t index) const {
    return index == 0 ? m_base + L".log" : m_base + L"." + std::to_wstring(index) + L".log";
}

// The oldest kept file goes, each other moves one number up, and the current one becomes number 1.
void RollingLogFile::rollOver() {
    platform::removeFile(pathOf(m_keepCount));
    for (std::uint32_t index = m_keepCount; index > 0; --index) platform::renameWithoutReplacing(pathOf(index - 1), pathOf(index));
    m_size = 0;
}
