#include "platform/file_stamp.h"

#include "platform/native_text.h"
#include "platform/remote_files.h"

#include <sys/stat.h>

namespace corvinax {

FileStamp FileStamp::of(const std::string& path)
{
    if (isUncPath(path)) {
        const RemoteStat remote = remoteFiles() ? remoteFiles()->stat(path) : RemoteStat{};
        return remote.exists ? FileStamp{true, 0, 0, remote.size, remote.modifiedNs} : FileStamp{};
    }
    struct stat info {};
    if (::stat(nativePath(path).c_str(), &info) != 0)
        return {};
    return FileStamp{true, static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::int64_t>(info.st_size),
                     static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

}  // namespace corvinax
