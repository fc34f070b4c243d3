#include "support/read_only_directory.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax::test {

ReadOnlyDirectory::ReadOnlyDirectory(std::string path) : m_path(std::move(path))
{
    if (::geteuid() != 0) {
        m_active = ::chmod(m_path.c_str(), 0555) == 0;
        return;
    }
    m_immutable = m_active = setImmutable(true);
}

ReadOnlyDirectory::~ReadOnlyDirectory()
{
    if (m_immutable)
        setImmutable(false);
    else if (m_active)
        ::chmod(m_path.c_str(), 0755);
}

bool ReadOnlyDirectory::setImmutable(bool on) const
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

}  // namespace corvinax::test
