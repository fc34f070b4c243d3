#include "platform/write_place.h"

#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel allows on one path

void pushComponents(std::deque<std::string>& into, const std::string& path)
{
    std::deque<std::string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        if (slash > start)
            components.emplace_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    into.insert(into.begin(), components.begin(), components.end());
}

FileDescriptor openAt(int folder, const char* name, int flags)
{
    return FileDescriptor(::openat(folder, name, flags | O_CLOEXEC));
}

// The kernel's protected-links rule, applied whatever the system setting: a link made by a stranger
// in a folder of somebody else's never leads the program anywhere.
bool mayFollow(int folder, const struct stat& link)
{
    struct stat owner {};
    return ::fstat(folder, &owner) == 0 && (link.st_uid == ::geteuid() || link.st_uid == owner.st_uid);
}

bool readLink(int folder, const std::string& name, std::string& target)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlinkat(folder, name.c_str(), buffer, sizeof buffer);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        if (length >= 0)
            errno = ENAMETOOLONG;
        return false;
    }
    target.assign(buffer, static_cast<std::size_t>(length));
    return !target.empty() || (errno = ENOENT, false);
}

std::string joined(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

}  // namespace

bool findWritePlace(const std::string& nativePath, WritePlace& place)
{
    if (nativePath.empty() || nativePath.back() == '/') {
        errno = EISDIR;
        return false;
    }
    std::string absolute = nativePath;
    if (absolute.front() != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return false;
        absolute = joined(cwd, absolute);
    }
    std::deque<std::string> left;
    pushComponents(left, absolute);
    FileDescriptor folder = openAt(AT_FDCWD, "/", O_PATH | O_DIRECTORY);
    std::string folderPath = "/";
    int links = 0;
    while (!left.empty()) {
        const std::string component = std::move(left.front());
        left.pop_front();
        if (component == ".")
            continue;
        if (component == "..") {
            folder = openAt(folder.get(), "..", O_PATH | O_DIRECTORY);
            folderPath = parentOf(folderPath);
            if (folder.get() < 0)
                return false;
            continue;
        }
        struct stat info {};
        const bool exists = ::fstatat(folder.get(), component.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists && (errno != ENOENT || !left.empty()))
            return false;
        if (exists && S_ISLNK(info.st_mode)) {
            std::string target;
            if (++links > kMaxLinks)
                return (errno = ELOOP, false);
            if (!mayFollow(folder.get(), info))
                return (errno = EACCES, false);
            if (!readLink(folder.get(), component, target))
                return false;
            if (target.front() == '/') {
                folder = openAt(AT_FDCWD, "/", O_PATH | O_DIRECTORY);
                folderPath = "/";
            }
            pushComponents(left, target);
            continue;
        }
        if (left.empty()) {
            place.folder = openAt(folder.get(), ".", O_RDONLY | O_DIRECTORY);
            if (place.folder.get() < 0)
                return false;
            place.name = component;
            place.path = joined(folderPath, component);
            return true;
        }
        if (!S_ISDIR(info.st_mode))
            return (errno = ENOTDIR, false);
        folder = openAt(folder.get(), component.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW);
        folderPath = joined(folderPath, component);
        if (folder.get() < 0)
            return false;
    }
    errno = EISDIR;  // the path named the root, or ended in "." or ".."
    return false;
}

FileDescriptor openFolderForWriting(const std::string& nativePath)
{
    std::string path = nativePath;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path == "/")
        return openAt(AT_FDCWD, "/", O_RDONLY | O_DIRECTORY);
    WritePlace place;
    if (!findWritePlace(path, place))
        return FileDescriptor(-1);
    return openAt(place.folder.get(), place.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
}

}  // namespace corvinax
