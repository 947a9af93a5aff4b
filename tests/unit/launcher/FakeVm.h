// The test double of the Java VM's libraries (tests/fakejvm) as the launch tests drive it: where it
// lies, which steps it fails, what it recorded.
#pragma once

#include <functional>
#include <string>
#include <vector>

class FakeVm {
public:
    // Records into a log in `folder`; fails no step until told to.
    explicit FakeVm(const std::wstring& folder);
    ~FakeVm();
    FakeVm(const FakeVm&) = delete;
    FakeVm& operator=(const FakeVm&) = delete;

    // The Java home laid out by the build, with the fake libraries where a VM keeps its own.
    static std::wstring javaHome();
    // The fake VM library inside it.
    static std::wstring libraryPath();

    // The steps the next VM fails (see tests/fakejvm/FakeJvm.cpp), comma-separated.
    void failAt(const std::string& steps);

    // Runs `hook` on the VM's main thread while main is being called, until this object ends.
    void duringMain(std::function<void()> hook);

    // Every line recorded so far; none when nothing was loaded.
    std::vector<std::string> logLines() const;

private:
    std::wstring m_logPath;
    std::function<void()> m_mainHook;
};
