#include "platform/private_lock.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace corvinax {

namespace {

// Stable from one build and process to the next, unlike std::hash.
std::uint64_t fnv1a(const std::string& text)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// A folder of the running user's alone: owned by it and open to nobody else. Made (0700) when missing.
bool ownFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 0077) == 0)
        return true;
    errno = EACCES;  // somebody else's, or open to others: no place for this user's locks
    return false;
}

bool ownedByMe(const std::string& path)
{
    struct stat info {};
    return !path.empty() && path.front() == '/' && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid();
}

// The home of the running user: $HOME when it is that user's own (sudo may leave another's).
std::string ownHome()
{
    if (const char* home = std::getenv("HOME"); home && ownedByMe(home))
        return home;
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir && ownedByMe(entry->pw_dir))
        return entry->pw_dir;
    return {};
}

}  // namespace

std::string privateLockFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && ownedByMe(runtime)) {
        const std::string base = std::string(runtime) + "/corvinax";
        if (ownFolder(base) && ownFolder(base + "/locks"))
            return base + "/locks";
    }
    const std::string home = ownHome();
    if (home.empty()) {
        errno = ENOENT;
        return {};
    }
    const std::string cache = home + "/.cache";
    if (::mkdir(cache.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    const std::string base = cache + "/corvinax";
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return ownFolder(base + "/locks") ? base + "/locks" : std::string();
}

std::string privateLockFile(const std::string& lockedPath)
{
    const std::string folder = privateLockFolder();
    if (folder.empty())
        return {};
    char name[32];
    std::snprintf(name, sizeof name, "/%016" PRIx64 ".lock", fnv1a(lockedPath));
    return folder + name;
}

PrivateLock::PrivateLock(const std::string& lockedPath, std::chrono::milliseconds wait)
{
    errno = 0;
    const std::string file = privateLockFile(lockedPath);
    if (file.empty()) {
        m_error = errno != 0 ? errno : EACCES;
        return;
    }
    m_fd = FileDescriptor(::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (m_fd.get() < 0) {
        m_error = errno;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!(m_held = ::flock(m_fd.get(), LOCK_EX | LOCK_NB) == 0)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            m_error = EWOULDBLOCK;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace corvinax
