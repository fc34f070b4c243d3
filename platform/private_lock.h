#pragma once

// A lock that only the running user's own processes can hold: a file in a folder of that user's
// alone (mode 0700), one file per locked path, named by a hash of the path. A lock taken on a shared
// file or folder itself (flock) can be taken by anyone who may read it, and a stranger holding it
// would stop every scheduled run for as long as he likes.

#include "platform/file_descriptor.h"

#include <chrono>
#include <string>

namespace corvinax {

// The folder of the running user's private locks: $XDG_RUNTIME_DIR/corvinax/locks when that is the
// user's own, else ~/.cache/corvinax/locks of the user's home; made when missing. Empty when no
// such folder can be had.
std::string privateLockFolder();

// The lock file of that path in privateLockFolder(), empty when there is no such folder.
std::string privateLockFile(const std::string& lockedPath);

class PrivateLock {
public:
    // Waits up to wait for the lock of that path (a whole path, as the system names it).
    PrivateLock(const std::string& lockedPath, std::chrono::milliseconds wait);
    PrivateLock(const PrivateLock&) = delete;
    PrivateLock& operator=(const PrivateLock&) = delete;

    // false when another process of the user held it for the whole wait, or no lock folder could
    // be had (errno tells).
    bool held() const { return m_held; }
    int error() const { return m_error; }

private:
    FileDescriptor m_fd{-1};
    bool m_held = false;
    int m_error = 0;
};

}  // namespace corvinax
