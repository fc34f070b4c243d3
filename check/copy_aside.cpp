#include "check/copy_aside.h"

#include "platform/atomic_file.h"
#include "platform/file_descriptor.h"
#include "platform/native_text.h"
#include "platform/remote_files.h"
#include "platform/report_directory.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace corvinax {

namespace {

// Under a short name of its own until the rename, so that even a report name at the system's limit
// can be copied.
bool writeLocalCopy(const ReportCopySource& source, const std::string& native, const std::string& folder)
{
    const FileDescriptor folderFd(::open(nativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folderFd.get() >= 0 &&
           replaceInFolder(folderFd.get(), native, source.bytes, {source.mode, std::nullopt, source.modified});
}

}  // namespace

bool copyAside(const ReportDirectory& directory, const ReportCandidate& report, const std::string& folder)
{
    if (folder.empty() || report.link || directory.isSameDirectory(folder))
        return false;
    ReportCopySource source;
    if (!directory.readForCopy(report.native, source, false))
        return false;
    if (isUncPath(folder))
        return remoteFiles() && remoteFiles()->replaceChild(folder, report.native, source.bytes);
    return writeLocalCopy(source, report.native, folder);
}

}  // namespace corvinax
