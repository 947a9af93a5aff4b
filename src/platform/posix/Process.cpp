// The running process on Linux.
#include "platform/Process.h"

#include <limits.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <limits>

#include "platform/TextEncoding.h"

namespace platform {
namespace {

// What runs on the VM's main thread, and what it hands back.
struct ThreadWork {
    FunctionRef<int()> body;
    int result = 0;
    std::exception_ptr failure;
};

void* runThreadWork(void* argument) {
    auto& work = *static_cast<ThreadWork*>(argument);
    try {
        work.result = work.body();
    } catch (...) {
        work.failure = std::current_exception();
    }
    return nullptr;
}

// `stackBytes` rounded up to whole pages (down, when that would pass the largest size), and at
// least the smallest stack a thread may have.
std::size_t threadStackSize(std::size_t stackBytes) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t pages = stackBytes / page + (stackBytes % page != 0 ? 1 : 0);
    const std::size_t rounded = std::min(pages, std::numeric_limits<std::size_t>::max() / page) * page;
    return std::max<std::size_t>(rounded, PTHREAD_STACK_MIN);
}

}  // namespace

std::wstring executablePath() {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return {};
        // readlink cuts a path that does not fit without saying so: a full buffer may be cut.
        if (static_cast<std::size_t>(length) < buffer.size()) return fromUtf8(buffer.substr(0, static_cast<std::size_t>(length)));
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring operatingSystemBitness() {
    // Only 64-bit builds exist for Linux.
    return L"64";
}

std::optional<std::wstring> environmentVariable(const std::wstring& name) {
    const char* value = std::getenv(toUtf8(name).c_str());
    if (value == nullptr) return std::nullopt;
    return fromUtf8(value);
}

std::uint32_t processId() {
    return static_cast<std::uint32_t>(getpid());
}

void yieldThread() {
    sched_yield();
}

std::optional<int> runAsVmMainThread(std::size_t stackBytes, FunctionRef<int()> body) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    int error = pthread_attr_setstacksize(&attributes, threadStackSize(stackBytes));
    ThreadWork work{body, 0, nullptr};
    pthread_t thread;
    if (error == 0) error = pthread_create(&thread, &attributes, runThreadWork, &work);
    pthread_attr_destroy(&attributes);
    if (error != 0) return std::nullopt;
    pthread_join(thread, nullptr);
    if (work.failure) std::rethrow_exception(work.failure);
    return work.result;
}

}  // namespace platform
