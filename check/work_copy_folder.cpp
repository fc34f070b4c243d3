#include "check/work_copy_folder.h"

#include "platform/atomic_file.h"
#include "platform/file_operations.h"
#include "platform/native_text.h"
#include "platform/remote_files.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvinax {

namespace {

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

bool isSafeDirectory(const struct stat& info)
{
    if (!S_ISDIR(info.st_mode))
        return false;
    const bool othersMayRename = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0;
    return !othersMayRename || info.st_uid == ::geteuid() || info.st_uid == 0;
}

std::string uniqueFolderName()
{
    static std::mt19937_64 random(std::random_device{}());
    constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = "corvinax-run-";
    for (int i = 0; i < 12; ++i)
        name += kDigits[random() % 36];
    return name;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool isSafeWorkDirectory(const std::string& path)
{
    struct stat info {};
    return !path.empty() && !isUncPath(path) && ::stat(nativePath(path).c_str(), &info) == 0 && isSafeDirectory(info);
}

std::unique_ptr<WorkCopyFolder> WorkCopyFolder::create(const std::string& workDir)
{
    if (workDir.empty() || isUncPath(workDir))
        return nullptr;
    createDirectories(workDir, 0700);  // the person may have chosen it in the middle of the run
    const int parent = ::open(nativePath(workDir).c_str(), kDirectoryFlags);
    struct stat info {};
    if (parent < 0 || ::fstat(parent, &info) != 0 || !isSafeDirectory(info)) {
        if (parent >= 0)
            ::close(parent);
        return nullptr;
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = uniqueFolderName();
        if (::mkdirat(parent, name.c_str(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        const int folder = ::openat(parent, name.c_str(), kDirectoryFlags | O_NOFOLLOW);
        struct stat made {};
        if (folder >= 0 && ::fstat(folder, &made) == 0 && made.st_uid == ::geteuid() && ::fchmod(folder, 0700) == 0)
            return std::unique_ptr<WorkCopyFolder>(new WorkCopyFolder(workDir, parent, folder, name));
        if (folder >= 0)
            ::close(folder);
        break;
    }
    ::close(parent);
    return nullptr;
}

WorkCopyFolder::WorkCopyFolder(std::string workDir, int parentFd, int folderFd, std::string folderName)
    : m_workDir(std::move(workDir)), m_parentFd(parentFd), m_folderFd(folderFd), m_folderName(std::move(folderName))
{
}

WorkCopyFolder::~WorkCopyFolder()
{
    removeEverythingInside();
    // Only the folder this object made: another user may have renamed it and put something else in
    // its place.
    struct stat mine {
    }, there{};
    if (::fstat(m_folderFd, &mine) == 0 &&
        ::fstatat(m_parentFd, m_folderName.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(mine, there))
        ::unlinkat(m_parentFd, m_folderName.c_str(), AT_REMOVEDIR);
    ::close(m_folderFd);
    ::close(m_parentFd);
}

void WorkCopyFolder::removeEverythingInside()
{
    const int fd = ::dup(m_folderFd);
    DIR* handle = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!handle) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    ::rewinddir(handle);
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(handle)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(handle);
    for (const std::string& name : names)
        ::unlinkat(m_folderFd, name.c_str(), 0);
}

bool WorkCopyFolder::write(std::string_view bytes, mode_t mode, const timespec& modified, std::string& copyName)
{
    copyName = "c" + std::to_string(++m_copies);
    const int fd = ::openat(m_folderFd, copyName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const timespec times[2] = {modified, modified};
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, (mode & 0777) | 0600) == 0 && ::futimens(fd, times) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        remove(copyName);
    return ok;
}

bool WorkCopyFolder::read(const std::string& copyName, std::string& bytes) const
{
    struct stat info {};
    return readWholeFileAt(m_folderFd, copyName, bytes, info, false);
}

void WorkCopyFolder::remove(const std::string& copyName)
{
    ::unlinkat(m_folderFd, copyName.c_str(), 0);
}

}  // namespace corvinax
