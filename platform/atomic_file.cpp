#include "platform/atomic_file.h"

#include "platform/file_descriptor.h"
#include "platform/native_text.h"
#include "platform/remote_files.h"
#include "platform/write_place.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvinax {

namespace {

mode_t creationMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string newFileName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 random(std::random_device{}());
    std::string name = kNewFileMarker;
    for (std::size_t i = 0; i < kNewFileRandomLength; ++i)
        name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

bool isNewFileName(std::string_view name)
{
    const std::string_view marker = kNewFileMarker;
    if (name.size() != marker.size() + kNewFileRandomLength || !name.starts_with(marker))
        return false;
    name.remove_prefix(marker.size());
    return std::all_of(name.begin(), name.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

}  // namespace

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

namespace {

// Not blocking on the open: a name that turned into a pipe must not stall the reader.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

bool readOpenFile(const FileDescriptor& file, std::string& bytes, struct stat& info)
{
    if (file.get() < 0)
        return false;
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::size_t>(info.st_size) > kMaxReadBytes)
        return false;
    // One byte more than the size, so that a file that grew is still read to its end.
    std::size_t capacity = static_cast<std::size_t>(info.st_size) + 1;
    bytes.resize(capacity);
    std::size_t filled = 0;
    for (;;) {
        if (filled == capacity) {
            if (capacity > kMaxReadBytes) {
                bytes.clear();
                return false;  // grew past the bound while it was read
            }
            capacity = std::min(capacity * 2, kMaxReadBytes + 1);
            bytes.resize(capacity);
        }
        const ssize_t got = ::read(file.get(), bytes.data() + filled, capacity - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return false;
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return true;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    if (isUncPath(path)) {
        RemoteFiles* remote = remoteFiles();
        return remote && remote->read(path, bytes);
    }
    struct stat info {};
    return readOpenFile(FileDescriptor(::open(nativePath(path).c_str(), kReadFlags)), bytes, info);
}

namespace {

std::string whyUnreadableFile(const FileDescriptor& file)
{
    struct stat info {};
    if (file.get() < 0)
        return errno == ENOENT ? std::string() : std::strerror(errno);
    if (::fstat(file.get(), &info) != 0)
        return std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return std::strerror(EISDIR);
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    if (info.st_size < 0 || static_cast<std::size_t>(info.st_size) > kMaxReadBytes)
        return std::strerror(EFBIG);
    return {};
}

}  // namespace

std::string whyUnreadable(const std::string& path)
{
    if (isUncPath(path))
        return {};
    return whyUnreadableFile(FileDescriptor(::open(nativePath(path).c_str(), kReadFlags)));
}

std::string whyUnreadableAt(int directoryFd, std::string_view name)
{
    const std::string plain(name);
    if (plain.empty() || plain.find('/') != std::string::npos)
        return std::strerror(EINVAL);
    const FileDescriptor file(::openat(directoryFd, plain.c_str(), kReadFlags));
    if (file.get() < 0)
        return std::strerror(errno);
    return whyUnreadableFile(file);
}

OpenDirectory::OpenDirectory(const std::string& path)
{
    if (!isUncPath(path))
        m_fd = ::open(nativePath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

OpenDirectory::~OpenDirectory()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

namespace {

// A name is a name in the directory, never a way out of it.
bool isPlainName(std::string_view name)
{
    return !name.empty() && name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

}  // namespace

bool readWholeFileAt(int directoryFd, std::string_view name, std::string& bytes, struct stat& info, bool followLink)
{
    bytes.clear();
    if (directoryFd < 0 || !isPlainName(name))
        return false;
    const int flags = followLink ? kReadFlags : kReadFlags | O_NOFOLLOW;
    return readOpenFile(FileDescriptor(::openat(directoryFd, std::string(name).c_str(), flags)), bytes, info);
}

bool OpenDirectory::readWholeFile(std::string_view name, std::string& bytes) const
{
    struct stat info {};
    return readWholeFileAt(m_fd, name, bytes, info, true);
}

bool replaceFileAtomically(const std::string& path, std::string_view bytes, bool ownerOnly)
{
    if (isUncPath(path)) {
        RemoteFiles* remote = remoteFiles();
        return remote && remote->replace(path, bytes);
    }
    WritePlace place;
    if (!findWritePlace(nativePath(path), place))
        return false;
    struct stat existing {};
    const bool exists = ::fstatat(place.folder.get(), place.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0 ||
                   ::faccessat(place.folder.get(), place.name.c_str(), W_OK, AT_EACCESS) != 0)) {
        errno = S_ISREG(existing.st_mode) ? EACCES : S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    NewFileAttributes attributes;
    attributes.mode = exists ? existing.st_mode & 07777 : ownerOnly ? (0600 & creationMode()) : creationMode();
    if (exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()))
        attributes.owner = {existing.st_uid, existing.st_gid};
    return replaceInFolder(place.folder.get(), place.name, bytes, attributes);
}

bool replaceInFolder(int folderFd, const std::string& name, std::string_view bytes, const NewFileAttributes& attributes,
                     const std::function<bool()>& mayRename)
{
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = newFileName();
        fd = ::openat(folderFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    FileDescriptor file(fd);
    if (file.get() < 0)
        return false;
    if (attributes.owner)
        (void)!::fchown(file.get(), attributes.owner->first, attributes.owner->second);
    bool ok = ::fchmod(file.get(), attributes.mode & 07777) == 0 && writeAll(file.get(), bytes);
    if (ok && attributes.modified) {
        const timespec times[2] = {*attributes.modified, *attributes.modified};
        ok = ::futimens(file.get(), times) == 0;
    }
    ok = ok && ::fsync(file.get()) == 0;
    ok = file.close() && ok;
    if (ok && mayRename && !mayRename()) {
        errno = ECANCELED;
        ok = false;
    }
    if (ok && ::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) == 0) {
        (void)::fsync(folderFd);
        return true;
    }
    const int error = errno;
    ::unlinkat(folderFd, temporary.c_str(), 0);
    errno = error;
    return false;
}

void removeLeftoverNewFiles(int folderFd)
{
    constexpr time_t kOldEnough = 60;
    const int copy = folderFd >= 0 ? ::dup(folderFd) : -1;
    DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!listing) {
        if (copy >= 0)
            ::close(copy);
        return;
    }
    ::rewinddir(listing);
    std::vector<std::string> leftovers;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        struct stat info {};
        if (isNewFileName(entry->d_name) && ::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            // A copy aside takes its report's last-write time a moment before its rename; were it
            // removed in that moment, the copy would fail and the report stay, nothing lost.
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1 && now - info.st_mtime > kOldEnough)
            leftovers.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    for (const std::string& name : leftovers)
        ::unlinkat(folderFd, name.c_str(), 0);
}

void removeInterruptedReplacements(const std::string& path)
{
    WritePlace place;
    if (!path.empty() && !isUncPath(path) && findWritePlace(nativePath(path), place))
        removeLeftoverNewFiles(place.folder.get());
}

}  // namespace corvinax
