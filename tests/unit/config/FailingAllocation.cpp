// The test program's operator new and delete, which fail one allocation on request.
#include "FailingAllocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> failNext{false};

}  // namespace

void failNextAllocation() {
    failNext = true;
}

void* operator new(std::size_t size) {
    if (failNext.exchange(false)) throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
