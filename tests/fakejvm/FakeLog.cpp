// The fake VM libraries' shared log.
#include "FakeLog.h"

#include <cstdio>
#include <cstdlib>

namespace fakejvm {

void appendLogLine(const std::string& line) {
    const char* path = std::getenv("WEXAL_FAKE_JVM_LOG");
    if (!path || !*path) return;
    std::FILE* file = std::fopen(path, "ab");
    if (!file) return;
    const std::string record = line + "\n";
    std::fwrite(record.data(), 1, record.size(), file);
    std::fclose(file);
}

}  // namespace fakejvm
