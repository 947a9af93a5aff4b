#include "support/TempDir.h"

#include <atomic>
#include <filesystem>
#include <fstream>

#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "util/Text.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    const std::wstring name = L"wexal-test-" + toDecimal(platform::processId()) + L"-" + toDecimal(counter++);
    const fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    m_path = dir.wstring();
    while (!m_path.empty() && m_path.back() == platform::kPathSeparator) m_path.pop_back();
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(fs::path(m_path), ignored);
}

std::wstring TempDir::operator/(const std::wstring& relative) const {
    return m_path + platform::kPathSeparator + relative;
}

std::wstring TempDir::writeFile(const std::wstring& relative, const std::string& bytes) const {
    const fs::path file(*this / relative);
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file.wstring();
}

std::wstring TempDir::makeDir(const std::wstring& relative) const {
    const fs::path dir(*this / relative);
    fs::create_directories(dir);
    return dir.wstring();
}
