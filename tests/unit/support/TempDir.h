// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, without a trailing separator.
    const std::wstring& path() const { return m_path; }
    // `relative` joined to the folder with the system's separator.
    std::wstring operator/(const std::wstring& relative) const;

    // Creates a file (and its folders) holding `bytes`; returns its path.
    std::wstring writeFile(const std::wstring& relative, const std::string& bytes) const;
    // Creates a folder (and its parents); returns its path.
    std::wstring makeDir(const std::wstring& relative) const;

private:
    std::wstring m_path;
};
