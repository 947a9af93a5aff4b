// The fake VM libraries' shared log.
#include "FakeLog.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fakejvm {

namespace {

std::string& fallbackLogPath() {
    static std::string path;
    return path;
}

}  // namespace

void setLogPath(const std::string& path) {
    fallbackLogPath() = path;
}

void appendLogLine(const std::string& line) {
    const char* variable = std::getenv("WEXAL_FAKE_JVM_LOG");
    const char* path = variable && *variable ? variable : fallbackLogPath().c_str();
    if (!*path) return;
    std::FILE* file = std::fopen(path, "ab");
    if (!file) return;
    const std::string record = line + "\n";
    std::fwrite(record.data(), 1, record.size(), file);
    std::fclose(file);
}

}  // namespace fakejvm
