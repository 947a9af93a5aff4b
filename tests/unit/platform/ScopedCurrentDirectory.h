// Puts the process's current directory back when a test that changes it ends.
#pragma once

#include <optional>
#include <string>

#include "platform/Files.h"

class ScopedCurrentDirectory {
public:
    ScopedCurrentDirectory() : m_saved(platform::currentDirectory()) {}
    ~ScopedCurrentDirectory() {
        if (m_saved) platform::changeDirectory(*m_saved);
    }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::optional<std::wstring> m_saved;
};
