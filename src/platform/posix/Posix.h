// Small owners of POSIX resources for the Linux platform layer.
#pragma once

#include <unistd.h>

#include <utility>

namespace platform::posix {

// Owns a file descriptor and closes it when it goes out of scope; -1 is no descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor = -1) : m_descriptor(descriptor) {}
    ~FileDescriptor() {
        if (valid()) ::close(m_descriptor);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(m_descriptor, other.m_descriptor);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool valid() const { return m_descriptor >= 0; }
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// Writes all of `size` bytes, resuming after interruptions and partial writes; false when the
// descriptor refuses them.
bool writeAll(int descriptor, const char* bytes, std::size_t size);

}  // namespace platform::posix
