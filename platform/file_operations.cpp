#include "platform/file_operations.h"

#include "platform/native_text.h"
#include "platform/remote_files.h"

#include <sys/stat.h>

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

}  // namespace corvinax
