// Processes started on Linux: a double fork into a session of its own with nice, and execv of
// /proc/self/exe with the command line of /proc/self/cmdline.
#include "platform/ProcessStart.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/TextEncoding.h"
#include "platform/posix/Posix.h"

namespace platform {
namespace {

constexpr int kLowPriority = 10;
// Above every descriptor a launcher and its VM keep open.
constexpr int kHighestInheritedDescriptor = 1024;

// Runs in the intermediate child, after fork: only calls that are safe in a child of a
// multithreaded process. Never returns.
[[noreturn]] void becomeDetachedProgram(char* const argv[], int output) {
    setsid();
    if (fork() != 0) _exit(0);  // the grandchild is no session leader, so it never gets a terminal
    setpriority(PRIO_PROCESS, 0, kLowPriority);
    const int empty = open("/dev/null", O_RDONLY);
    dup2(empty, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
    for (int descriptor = STDERR_FILENO + 1; descriptor < kHighestInheritedDescriptor; ++descriptor) close(descriptor);
    execv(argv[0], argv);
    _exit(127);
}

}  // namespace

bool startDetachedLowPriority(const std::wstring& program, const std::vector<std::wstring>& arguments, const std::wstring& output) {
    // Everything that allocates happens before the fork.
    std::vector<std::string> texts{toUtf8(program)};
    for (const std::wstring& argument : arguments) texts.push_back(toUtf8(argument));
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    const posix::FileDescriptor file(open(toUtf8(output).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.valid()) return false;
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) becomeDetachedProgram(argv.data(), file.get());
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool rerunInPlace(const std::wstring& startFolder) {
    std::string commandLine = readFileBytes(L"/proc/self/cmdline").value_or("");
    std::vector<char*> argv;
    for (std::size_t start = 0; start < commandLine.size(); start = commandLine.find('\0', start) + 1) {
        argv.push_back(&commandLine[start]);
    }
    argv.push_back(nullptr);
    if (argv.size() < 2 || chdir(toUtf8(startFolder).c_str()) != 0) return false;
    // The VM's files stay out of the new run.
    for (int descriptor = STDERR_FILENO + 1; descriptor < kHighestInheritedDescriptor; ++descriptor) {
        fcntl(descriptor, F_SETFD, FD_CLOEXEC);
    }
    execv("/proc/self/exe", argv.data());
    return false;
}

}  // namespace platform
