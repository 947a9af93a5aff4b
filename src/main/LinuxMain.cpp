// The program's entry point on Linux: the executable's full path, then the arguments as given.
#include <string>
#include <vector>

#include "launcher/Launcher.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"

int main(int argc, char** argv) {
    std::vector<std::wstring> arguments{platform::executablePath()};
    for (int i = 1; i < argc; ++i) arguments.push_back(fromUtf8(argv[i]));
    return runLauncher(arguments);
}
