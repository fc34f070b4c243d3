#include "output/warehouse_table_file.h"

#include "platform/atomic_file.h"
#include "platform/file_descriptor.h"
#include "platform/native_text.h"
#include "platform/remote_files.h"
#include "platform/stop_request.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace corvinax {

namespace {

constexpr auto kLockPoll = std::chrono::milliseconds(50);
constexpr const char* kTemporaryMark = ".corvinax-";

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// The prefix of the new files this program writes beside the table.
std::string temporaryPrefix(const std::string& table)
{
    return "." + baseName(table) + kTemporaryMark;
}

bool readAll(int fd, std::size_t size, std::string& bytes)
{
    bytes.resize(size);
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::pread(fd, bytes.data() + filled, size - filled, static_cast<off_t>(filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        filled += static_cast<std::size_t>(got);
    }
    return true;
}

// A read lock on the whole table, held until the file is closed: refused while another program
// holds a write lock on any part of it, as dBASE engines take them, and granted beside read locks.
bool takeSharedLock(int fd)
{
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

WarehouseTableFile::WarehouseTableFile(std::string path, std::chrono::milliseconds lockWait)
    : m_path(std::move(path)), m_lockWait(lockWait)
{
}

WarehouseTableFile::~WarehouseTableFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

WarehouseTableFile::Opening WarehouseTableFile::open(std::string& bytes)
{
    bytes.clear();
    if (!isUncPath(m_path))
        return openLocal(bytes);
    RemoteFiles* remote = remoteFiles();
    const RemoteStat stat = remote ? remote->stat(m_path) : RemoteStat{};
    if (!stat.exists || stat.directory)
        return Opening::Missing;
    return remote->read(m_path, bytes) ? Opening::Opened : Opening::Unavailable;
}

WarehouseTableFile::Opening WarehouseTableFile::openLocal(std::string& bytes)
{
    m_native = nativePath(m_path);
    struct stat info {};
    if (m_native.empty() || ::stat(m_native.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return Opening::Missing;
    // The table itself when the name is a link to it: the new table replaces the file, not the link.
    if (char resolved[PATH_MAX]; ::realpath(m_native.c_str(), resolved))
        m_native = resolved;
    if (!lockLocal())
        return Opening::Unavailable;
    removeLeftovers();
    return readAll(m_fd, static_cast<std::size_t>(m_info.st_size), bytes) ? Opening::Opened : Opening::Unavailable;
}

// Two locks: flock keeps the exports of this program apart (and is taken again when another export
// replaced the file meanwhile); an open-file read lock waits while another program writes the table
// and keeps it from starting to write, while readers that share the table go on.
bool WarehouseTableFile::lockLocal()
{
    const auto deadline = std::chrono::steady_clock::now() + m_lockWait;
    for (;;) {
        m_fd = ::open(m_native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (m_fd < 0 || ::fstat(m_fd, &m_info) != 0 || !S_ISREG(m_info.st_mode))
            return false;
        struct stat now {};
        const bool mine = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
        const bool current =
            mine && ::stat(m_native.c_str(), &now) == 0 && now.st_ino == m_info.st_ino && now.st_dev == m_info.st_dev;
        if (current && takeSharedLock(m_fd))
            return true;
        ::close(m_fd);
        m_fd = -1;
        if (mine && !current)
            continue;  // another export replaced the table while this one waited
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kLockPoll);
    }
}

// New files that an export cut short left beside the table. Under the lock no other export of this
// program is writing one.
void WarehouseTableFile::removeLeftovers() const
{
    const int folder = ::open(directoryOf(m_native).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = folder >= 0 ? ::fdopendir(::dup(folder)) : nullptr;
    if (listing) {
        const std::string prefix = temporaryPrefix(m_native);
        std::vector<std::string> leftovers;
        while (const dirent* entry = ::readdir(listing)) {
            struct stat info {};
            if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0 &&
                ::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
                info.st_uid == ::geteuid())
                leftovers.emplace_back(entry->d_name);
        }
        ::closedir(listing);
        for (const std::string& name : leftovers)
            ::unlinkat(folder, name.c_str(), 0);
    }
    if (folder >= 0)
        ::close(folder);
}

bool WarehouseTableFile::replace(std::string_view bytes, std::string& error)
{
    if (!isUncPath(m_path))
        return replaceLocal(bytes, error);
    RemoteFiles* remote = remoteFiles();
    if (remote && remote->replace(m_path, bytes))
        return true;
    error = "cannot write on the share";
    return false;
}

bool WarehouseTableFile::replaceLocal(std::string_view bytes, std::string& error)
{
    const FileDescriptor folder(::open(directoryOf(m_native).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    NewFileAttributes attributes{m_info.st_mode, std::nullopt, std::nullopt};
    if (m_info.st_uid != ::geteuid() || m_info.st_gid != ::getegid())
        attributes.owner = {m_info.st_uid, m_info.st_gid};
    // A stop asked for while the new table was written leaves the old one.
    if (folder.get() >= 0 && replaceInFolder(folder.get(), baseName(m_native), bytes, attributes,
                                             temporaryPrefix(m_native), [] { return stopRequested() == 0; }))
        return true;
    error = stopRequested() != 0 ? "stopped" : std::strerror(errno);
    return false;
}

}  // namespace corvinax
