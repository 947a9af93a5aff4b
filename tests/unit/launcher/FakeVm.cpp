// The launch tests' side of the fake VM: its environment switches, its log and its main hook.
#include "FakeVm.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/DynamicLibrary.h"
#include "platform/PathConventions.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "util/Text.h"

namespace {

void setEnvironmentVariable(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv((name + "=" + value).c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

using MainHookSetter = void (*)(void (*hook)(void*), void* context);

MainHookSetter mainHookSetter() {
    // Loaded once more by the tests themselves, so that the hook survives the launcher's unloading.
    static platform::Library* library = platform::loadLibrary(FakeVm::libraryPath());
    return reinterpret_cast<MainHookSetter>(platform::librarySymbol(library, "fakeJvmSetMainHook"));
}

}  // namespace

FakeVm::FakeVm(const std::wstring& folder) : m_logPath(folder + platform::kPathSeparator + L"fake-jvm.log") {
    setEnvironmentVariable("WEXAL_FAKE_JVM_LOG", toUtf8(m_logPath));
    failAt("");
}

FakeVm::~FakeVm() {
    if (m_mainHook) mainHookSetter()(nullptr, nullptr);
    setEnvironmentVariable("WEXAL_FAKE_JVM_LOG", "");
}

std::wstring FakeVm::javaHome() {
    std::wstring folder = platform::executablePath();
    folder.erase(folder.find_last_of(platform::kPathSeparator));
    std::wstring relative = fromUtf8(WEXAL_FAKE_JAVA_HOME_FROM_TEST);
    replaceAll(relative, L'/', platform::kPathSeparator);
    return folder + platform::kPathSeparator + relative;
}

std::wstring FakeVm::libraryPath() {
    const std::wstring separator(1, platform::kPathSeparator);
    return javaHome() + separator + platform::kVmTypesFolder + separator + L"server" + separator + platform::kVmLibraryName;
}

void FakeVm::failAt(const std::string& steps) {
    setEnvironmentVariable("WEXAL_FAKE_JVM_FAIL", steps);
}

void FakeVm::duringMain(std::function<void()> hook) {
    m_mainHook = std::move(hook);
    mainHookSetter()([](void* self) { static_cast<FakeVm*>(self)->m_mainHook(); }, this);
}

std::vector<std::string> FakeVm::logLines() const {
    std::ifstream log(std::filesystem::path(m_logPath), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}
