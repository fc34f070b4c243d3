#include "platform/atomic_file.h"

#include "platform/file_descriptor.h"
#include "platform/native_text.h"
#include "platform/remote_files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvinax {

namespace {

std::string resolveLink(const std::string& path)
{
    char resolved[PATH_MAX];
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && ::realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t creationMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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
    const std::string target = resolveLink(nativePath(path));
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        errno = S_ISREG(existing.st_mode) ? EACCES : EISDIR;  // the reason the caller shows
        return false;
    }

    const std::string directory = directoryOf(target);
    std::string temporary = directory + "/." + target.substr(target.rfind('/') + 1) + ".XXXXXX";
    FileDescriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0)
        return false;
    auto discard = [&temporary] { ::unlink(temporary.c_str()); };

    const mode_t newMode = ownerOnly ? (0600 & creationMode()) : creationMode();
    bool ok = ::fchmod(file.get(), exists ? (existing.st_mode & 07777) : newMode) == 0;
    if (ok && exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()))
        (void)!::fchown(file.get(), existing.st_uid, existing.st_gid);
    ok = ok && writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    ok = file.close() && ok;
    if (!ok || ::rename(temporary.c_str(), target.c_str()) != 0) {
        discard();
        return false;
    }
    FileDescriptor folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        (void)::fsync(folder.get());
    return true;
}

bool replaceInFolder(int folderFd, const std::string& name, std::string_view bytes, const NewFileAttributes& attributes,
                     const std::string& temporaryPrefix, const std::function<bool()>& mayRename)
{
    static std::mt19937_64 random(std::random_device{}());
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = temporaryPrefix + std::to_string(random() % 1'000'000'000'000ULL);
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

void removeInterruptedReplacements(const std::string& path)
{
    if (path.empty() || isUncPath(path))
        return;
    const std::string target = resolveLink(nativePath(path));
    const std::string directory = directoryOf(target);
    const std::string prefix = "." + target.substr(target.rfind('/') + 1) + ".";
    constexpr std::size_t kSuffix = 6;  // mkstemp's
    constexpr time_t kOldEnough = 60;
    FileDescriptor folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* listing = folder.get() >= 0 ? ::fdopendir(::dup(folder.get())) : nullptr;
    if (!listing)
        return;
    std::vector<std::string> leftovers;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        struct stat info {};
        if (name.size() == prefix.size() + kSuffix && name.starts_with(prefix) &&
            ::fstatat(folder.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid() && now - info.st_mtime > kOldEnough)
            leftovers.emplace_back(name);
    }
    ::closedir(listing);
    for (const std::string& name : leftovers)
        ::unlinkat(folder.get(), name.c_str(), 0);
}

}  // namespace corvinax
