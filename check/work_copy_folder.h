#pragma once

// The run's own folder for working copies, made inside the working directory: a unique name, the
// running user's alone, reached only through its open handle (never through its path again, which
// another user who can write the working directory could redirect), and removed with whatever is
// left in it when the run ends. Nothing else in the working directory is read, written or removed.

#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace corvinax {

// Whether a working directory may hold the run's folder: a local directory in which no other user
// could rename or replace entries (writable by others only with the sticky bit), unless the running
// user or root owns it.
bool isSafeWorkDirectory(const std::string& path);

class WorkCopyFolder {
public:
    // nullptr when workDir is no safe directory or the folder cannot be made there.
    static std::unique_ptr<WorkCopyFolder> create(const std::string& workDir);
    ~WorkCopyFolder();
    WorkCopyFolder(const WorkCopyFolder&) = delete;
    WorkCopyFolder& operator=(const WorkCopyFolder&) = delete;

    const std::string& workDir() const { return m_workDir; }

    // Writes a new copy with the given bytes, permission bits and last-write time; its short name
    // goes to copyName. false when it could not be written whole (nothing is left behind then).
    bool write(std::string_view bytes, mode_t mode, const timespec& modified, std::string& copyName);
    // The bytes of a copy made by write.
    bool read(const std::string& copyName, std::string& bytes) const;
    void remove(const std::string& copyName);

private:
    WorkCopyFolder(std::string workDir, int parentFd, int folderFd, std::string folderName);
    void removeEverythingInside();

    std::string m_workDir;
    int m_parentFd;
    int m_folderFd;
    std::string m_folderName;
    unsigned long m_copies = 0;
};

}  // namespace corvinax
