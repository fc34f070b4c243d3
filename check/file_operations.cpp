#include "check/file_operations.h"

#include "profile/atomic_file.h"
#include "profile/file_stamp.h"
#include "profile/native_text.h"
#include "profile/remote_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax {

bool isRegularFile(const std::string& path)
{
    if (isUncPath(path)) {
        const RemoteStat remote = remoteFiles() ? remoteFiles()->stat(path) : RemoteStat{};
        return remote.exists && !remote.directory;
    }
    struct stat info {};
    return !path.empty() && ::stat(nativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isDirectory(const std::string& path)
{
    if (isUncPath(path)) {
        const RemoteStat remote = remoteFiles() ? remoteFiles()->stat(path) : RemoteStat{};
        return remote.exists && remote.directory;
    }
    struct stat info {};
    return !path.empty() && ::stat(nativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool copyReplacing(const std::string& source, const std::string& destination)
{
    std::string bytes;
    const FileStamp stamp = FileStamp::of(source);
    if (!stamp.exists || !readWholeFile(source, bytes) || !replaceFileAtomically(destination, bytes))
        return false;
    if (isUncPath(destination))
        return true;  // the server dates what it writes
    const timespec modified{static_cast<time_t>(stamp.modifiedNs / 1'000'000'000),
                            static_cast<long>(stamp.modifiedNs % 1'000'000'000)};
    const timespec times[2] = {modified, modified};
    return ::utimensat(AT_FDCWD, nativePath(destination).c_str(), times, 0) == 0;
}

bool createDirectories(const std::string& path, unsigned mode)
{
    if (isUncPath(path) || path.empty())
        return isDirectory(path);
    const std::string native = nativePath(path);
    for (std::size_t end = native.find('/', 1); ; end = native.find('/', end + 1)) {
        (void)::mkdir(native.substr(0, end).c_str(), static_cast<mode_t>(mode));
        if (end == std::string::npos)
            break;
    }
    return isDirectory(path);
}

bool removeFile(const std::string& path)
{
    if (isUncPath(path))
        return remoteFiles() && isRegularFile(path) && remoteFiles()->remove(path);
    return isRegularFile(path) && ::unlink(nativePath(path).c_str()) == 0;
}

}  // namespace corvinax
