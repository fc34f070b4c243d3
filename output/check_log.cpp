#include "output/check_log.h"

#include "findings/result_tree.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/native_text.h"
#include "platform/remote_files.h"
#include "platform/write_place.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace corvinax {

namespace {

constexpr std::size_t kMaxLineTail = 250;

// The system's own reason, with the file it concerns.
std::string ioErrorText(int error, const std::string& path)
{
    return std::string(std::strerror(error)) + ": " + path;
}

}  // namespace

std::string logLine(const ResultNode& node)
{
    std::string line;
    appendLogLine(line, node);
    return line;
}

void appendLogLine(std::string& block, const ResultNode& node)
{
    static const std::string kNone;
    const AdditionalData* data = node.data ? &*node.data : nullptr;
    const std::string& mark = data ? data->mark : kNone;
    switch (node.level()) {
    case 0:
        block.append(mark).append(node.text);
        return;
    case 1:
        block.append(" MAC<").append(data ? data->macAddr : kNone).append(">FILE<");
        block.append(data ? data->reportPath : kNone).append("> ").append(mark).append(node.text);
        return;
    default: {
        const std::string_view text = node.text;
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) {
            block.append("   ").append(text);
            return;
        }
        block.append("   ").append(text.substr(0, equals + 1)).append(mark).append(text.substr(equals + 1, kMaxLineTail));
        return;
    }
    }
}

std::string rotatedLogName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ".old";
    return path.substr(0, dot) + ".old";
}

std::string logPathFromField(std::string_view field)
{
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    return std::string(field);
}

CheckLog::CheckLog(std::string path, LogHeader header) : m_path(logPathFromField(path)), m_header(std::move(header))
{
}

void CheckLog::writeRunBlock(const ResultTree& tree, int sizeLimitMB, bool always)
{
    if ((tree.count() <= 2 && !always) || m_path.empty())
        return;
    rotateIfLarger(sizeLimitMB);
    BlockWriter block(m_path, m_header);
    tree.forEachInDisplayOrder([&block](ResultNode& node) {
        appendLogLine(block.buffer(), node);
        block.buffer() += "\r\n";
        block.writeIfFull();
    });
    block.buffer() += "\r\n";
    block.finish();
}

void CheckLog::appendLines(const std::vector<std::string>& lines)
{
    if (m_path.empty())
        return;
    BlockWriter block(m_path, m_header);
    for (const std::string& line : lines)
        block.buffer().append(line).append("\r\n");
    block.buffer() += "\r\n";
    block.finish();
}

// A failed delete or rename is let pass: the block then goes to the big file.
void CheckLog::rotateIfLarger(int sizeLimitMB)
{
    if (isUncPath(m_path)) {
        RemoteFiles* remote = remoteFiles();
        const RemoteStat log = remote ? remote->stat(m_path) : RemoteStat{};
        if (sizeLimitMB > 0 && log.exists && !log.directory && log.size > std::int64_t{sizeLimitMB} * 1048576) {
            remote->remove(rotatedLogName(m_path));
            remote->rename(m_path, rotatedLogName(m_path));
        }
        return;
    }
    WritePlace place;
    struct stat info {};
    if (sizeLimitMB <= 0 || !findWritePlace(nativePath(m_path), place) ||
        ::fstatat(place.folder.get(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return;
    if (static_cast<std::int64_t>(info.st_size) <= static_cast<std::int64_t>(sizeLimitMB) * 1048576)
        return;
    const std::string rotated = rotatedLogName(place.name);
    ::unlinkat(place.folder.get(), rotated.c_str(), 0);
    (void)::renameat(place.folder.get(), place.name.c_str(), place.folder.get(), rotated.c_str());
}

CheckLog::BlockWriter::BlockWriter(const std::string& path, const LogHeader& header) : m_path(path)
{
    if (isUncPath(m_path)) {
        m_remote = true;
        m_header = header.caption + "\r\n" + header.executablePath + "\r\n\r\n";
        return;
    }
    // Appended through the log's open folder and never through a link a stranger planted there.
    WritePlace place;
    if (!findWritePlace(nativePath(m_path), place))
        throw Error(ioErrorText(errno, m_path));
    constexpr int kFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    m_fd = ::openat(place.folder.get(), place.name.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
    if (m_fd >= 0) {
        m_buffer = header.caption + "\r\n" + header.executablePath + "\r\n\r\n";
    } else if (errno == EEXIST) {
        m_fd = ::openat(place.folder.get(), place.name.c_str(), kFlags);
    }
    if (m_fd < 0)
        throw Error(ioErrorText(errno, m_path));
    // A second name of somebody else's file (a hard link planted in the log's folder) is no log.
    struct stat before {};
    struct stat folder {};
    m_sized = ::fstat(m_fd, &before) == 0;
    const bool own = m_sized && ::fstat(place.folder.get(), &folder) == 0 && before.st_nlink <= 1 &&
                     (before.st_uid == ::geteuid() || before.st_uid == folder.st_uid);
    if (!own || !(S_ISREG(before.st_mode) || S_ISCHR(before.st_mode))) {
        ::close(m_fd);
        m_fd = -1;
        throw Error(ioErrorText(EACCES, m_path));
    }
    m_sizeBefore = before.st_size;
}

// A block left unfinished (an error on the way) is taken back.
CheckLog::BlockWriter::~BlockWriter()
{
    if (m_fd < 0)
        return;
    if (m_sized)
        (void)::ftruncate(m_fd, m_sizeBefore);
    ::close(m_fd);
}

void CheckLog::BlockWriter::writeIfFull()
{
    if (m_remote)
        return;
    // A run of a hundred thousand violators makes a block of tens of megabytes: it goes to the
    // file piece by piece instead of being held whole.
    constexpr std::size_t kPiece = 1 << 20;
    if (m_buffer.size() >= kPiece)
        write();
}

void CheckLog::BlockWriter::write()
{
    if (!writeAll(m_fd, m_buffer))
        fail(errno);
    m_buffer.clear();
}

// A block that does not fit is taken back, so the log keeps only whole blocks.
void CheckLog::BlockWriter::fail(int error)
{
    if (m_sized)
        (void)::ftruncate(m_fd, m_sizeBefore);
    ::close(m_fd);
    m_fd = -1;
    throw Error(ioErrorText(error, m_path));
}

void CheckLog::BlockWriter::finish()
{
    if (m_remote) {
        RemoteFiles* remote = remoteFiles();
        errno = EIO;
        if (!remote || !remote->append(m_path, m_buffer, m_header))
            throw Error(ioErrorText(errno, m_path));
        return;
    }
    write();
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        throw Error(ioErrorText(errno, m_path));
}

}  // namespace corvinax
