#pragma once

#include <unistd.h>

namespace corvinax {

// An open file descriptor, closed when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = other.release();
        }
        return *this;
    }

    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

    int get() const { return m_fd; }
    // Whether the close went through (a write's last error can show there).
    bool close()
    {
        const bool ok = m_fd < 0 || ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

}  // namespace corvinax
