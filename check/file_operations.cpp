#include "check/file_operations.h"

#include "profile/atomic_file.h"
#include "profile/native_text.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax {

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(nativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(nativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool copyReplacing(const std::string& source, const std::string& destination)
{
    struct stat info {};
    std::string bytes;
    if (::stat(nativePath(source).c_str(), &info) != 0 || !readWholeFile(source, bytes))
        return false;
    if (!replaceFileAtomically(destination, bytes))
        return false;
    const timespec times[2] = {info.st_atim, info.st_mtim};
    return ::utimensat(AT_FDCWD, nativePath(destination).c_str(), times, 0) == 0;
}

bool createDirectories(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(nativePath(path), error);
    return isDirectory(path);
}

bool removeFile(const std::string& path)
{
    return isRegularFile(path) && ::unlink(nativePath(path).c_str()) == 0;
}

}  // namespace corvinax
