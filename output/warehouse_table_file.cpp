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
    const std::string native = nativePath(m_path);
    struct stat info {};
    if (native.empty() || !findWritePlace(native, m_place))
        return errno == ENOENT || native.empty() ? Opening::Missing : Opening::Unavailable;
    if (::fstatat(m_place.folder.get(), m_place.name.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode))
        return Opening::Missing;
    const auto deadline = std::chrono::steady_clock::now() + m_lockWait;
    // The exports of this program exclude each other by a lock no other user can hold.
    m_exportLock.emplace(m_place.path, m_lockWait);
    if (!m_exportLock->held())
        return m_exportLock->error() == EWOULDBLOCK ? Opening::Busy : Opening::Unavailable;
    if (const Opening locked = lockLocal(deadline); locked != Opening::Opened)
        return locked;
    removeLeftoverNewFiles(m_place.folder.get());
    return readAll(m_fd, static_cast<std::size_t>(m_info.st_size), bytes) ? Opening::Opened : Opening::Unavailable;
}

// An open-file read lock waits while another program writes the table and keeps it from starting
// to write, while readers that share the table go on. The table must also be one this user may
// open for writing, as the engine of the table would: the new table takes the old one's place,
// and a table that its owner keeps from this user is not replaced behind its owner's back.
WarehouseTableFile::Opening WarehouseTableFile::lockLocal(std::chrono::steady_clock::time_point deadline)
{
    const char* name = m_place.name.c_str();
    for (;;) {
        m_fd = ::openat(m_place.folder.get(), name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
        if (m_fd < 0 || ::fstat(m_fd, &m_info) != 0 || !S_ISREG(m_info.st_mode))
            return Opening::Unavailable;
        if (FileDescriptor writable(::openat(m_place.folder.get(), name, O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
            writable.get() < 0)
            return Opening::Unavailable;
        if (takeSharedLock(m_fd))
            return Opening::Opened;
        ::close(m_fd);
        m_fd = -1;
        if (std::chrono::steady_clock::now() >= deadline)
            return Opening::Busy;
        std::this_thread::sleep_for(kLockPoll);
    }
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
    NewFileAttributes attributes{m_info.st_mode, std::nullopt, std::nullopt};
    if (m_info.st_uid != ::geteuid() || m_info.st_gid != ::getegid())
        attributes.owner = {m_info.st_uid, m_info.st_gid};
    // A stop asked for while the new table was written leaves the old one; so does a table that
    // another export (of another user, whose lock is not this one's) replaced meanwhile: its rows
    // would be lost under this one's.
    bool replacedMeanwhile = false;
    const auto mayRename = [this, &replacedMeanwhile] {
        struct stat now {};
        replacedMeanwhile = ::fstatat(m_place.folder.get(), m_place.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
                            now.st_dev != m_info.st_dev || now.st_ino != m_info.st_ino;
        return stopRequested() == 0 && !replacedMeanwhile;
    };
    if (replaceInFolder(m_place.folder.get(), m_place.name, bytes, attributes, mayRename))
        return true;
    error = stopRequested() != 0 ? "stopped"
            : replacedMeanwhile  ? "replaced by another export meanwhile"
                                 : std::strerror(errno);
    return false;
}

}  // namespace corvinax
