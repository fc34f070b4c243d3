#include "platform/smb_files.h"

#include "platform/atomic_file.h"
#include "platform/native_text.h"
#include "platform/share_read_ahead.h"
#include "platform/share_readers.h"

#include "platform/smb_client_library.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace corvinax {

namespace {

void appendEscaped(std::string& url, char c)
{
    switch (c) {
    case '%': url += "%25"; break;
    case '?': url += "%3F"; break;
    case '#': url += "%23"; break;
    default: url += c; break;
    }
}

constexpr std::uint16_t kHidden = 0x02;
constexpr std::uint16_t kSystem = 0x04;
constexpr std::uint16_t kDirectory = 0x10;

void copyInto(char* target, int length, const std::string& text)
{
    if (length <= 0)
        return;
    std::strncpy(target, text.c_str(), static_cast<std::size_t>(length) - 1);
    target[length - 1] = '\0';
}

// Only reached once ready() found the library.
const SmbClientLibrary& smbc()
{
    return *smbClientLibrary();
}

std::int64_t nanoseconds(const timespec& moment)
{
    return static_cast<std::int64_t>(moment.tv_sec) * 1'000'000'000 + moment.tv_nsec;
}

}  // namespace

SmbFiles::SmbFiles(std::function<SmbCredentials()> credentials, int timeoutMs, int port)
    : m_credentials(std::move(credentials)), m_timeoutMs(timeoutMs), m_port(port)
{
}

// The client is set up at the first UNC path, so that a network of local folders never loads it.
bool SmbFiles::ready()
{
    if (m_context || m_failed)
        return m_context != nullptr;
    if (!smbClientLibrary()) {
        m_failed = true;
        return false;
    }
    m_context = smbc().new_context();
    if (!m_context) {
        m_failed = true;
        return false;
    }
    smbc().setDebug(m_context, 0);
    smbc().setTimeout(m_context, m_timeoutMs);
    if (m_port != 0)
        smbc().setPort(m_context, static_cast<std::uint16_t>(m_port));
    smbc().setOptionUserData(m_context, this);
    smbc().setFunctionAuthDataWithContext(m_context, &SmbFiles::authenticate);
    smbc().setOptionUseKerberos(m_context, 1);
    smbc().setOptionFallbackAfterKerberos(m_context, 1);
    if (!smbc().init_context(m_context)) {
        smbc().free_context(m_context, 1);
        m_context = nullptr;
        m_failed = true;
    }
    return m_context != nullptr;
}

SmbFiles::~SmbFiles()
{
    m_readers.reset();
    if (m_context)
        smbc().free_context(m_context, 1);
}

// The settings' login and password when set; otherwise no user, which lets the client try the
// Kerberos ticket and then a guest connection.
void SmbFiles::authenticate(SMBCCTX* context, const char*, const char*, char* workgroup, int workgroupLength,
                            char* user, int userLength, char* password, int passwordLength)
{
    auto* self = static_cast<SmbFiles*>(smbc().getOptionUserData(context));
    const SmbCredentials credentials = self && self->m_credentials ? self->m_credentials() : SmbCredentials{};
    std::string login = cp1251ToUtf8(credentials.login);
    if (const std::size_t separator = login.find('\\'); separator != std::string::npos) {
        copyInto(workgroup, workgroupLength, login.substr(0, separator));
        login.erase(0, separator + 1);
    }
    copyInto(user, userLength, login);
    copyInto(password, passwordLength, cp1251ToUtf8(credentials.password));
}

std::string SmbFiles::urlOf(const std::string& uncPath)
{
    std::string url = "smb://";
    for (char c : cp1251ToUtf8(std::string_view(uncPath).substr(2))) {
        if (c == '\\')
            url += '/';
        else
            appendEscaped(url, c);
    }
    while (url.size() > 6 && url.back() == '/')
        url.pop_back();
    return url;
}

std::string SmbFiles::childUrl(const std::string& directory, std::string_view native)
{
    std::string url = urlOf(directory) + '/';
    for (char c : native) {
        if (c == '/')
            url += "%2F";  // a name, never a way into another folder
        else
            appendEscaped(url, c);
    }
    return url;
}

bool SmbFiles::read(const std::string& path, std::string& bytes)
{
    return readUrl(urlOf(path), bytes);
}

bool SmbFiles::readChild(const std::string& directory, std::string_view native, std::string& bytes)
{
    return readUrl(childUrl(directory, native), bytes);
}

bool SmbFiles::replace(const std::string& path, std::string_view bytes)
{
    return replaceUrl(urlOf(path), bytes);
}

bool SmbFiles::replaceChild(const std::string& directory, std::string_view native, std::string_view bytes)
{
    return replaceUrl(childUrl(directory, native), bytes);
}

bool SmbFiles::remove(const std::string& path)
{
    return removeUrl(urlOf(path));
}

bool SmbFiles::removeChild(const std::string& directory, std::string_view native)
{
    return removeUrl(childUrl(directory, native));
}

bool SmbFiles::readUrl(const std::string& url, std::string& bytes)
{
    bytes.clear();
    m_lastError = 0;
    if (!ready()) {
        m_lastError = EIO;
        return false;
    }
    SMBCFILE* file = smbc().getFunctionOpen(m_context)(m_context, url.c_str(), O_RDONLY, 0);
    if (!file) {
        m_lastError = errno != 0 ? errno : EIO;
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = smbc().getFunctionRead(m_context)(m_context, file, buffer, sizeof buffer);
        if (got < 0)
            m_lastError = errno != 0 ? errno : EIO;
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxReadBytes) {
            m_lastError = EFBIG;
            break;
        }
    }
    smbc().getFunctionClose(m_context)(m_context, file);
    if (m_lastError != 0)
        bytes.clear();
    return m_lastError == 0;
}

bool SmbFiles::writeAll(SMBCFILE* file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = smbc().getFunctionWrite(m_context)(m_context, file, bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool SmbFiles::writeFile(const std::string& url, std::string_view bytes)
{
    SMBCFILE* file = smbc().getFunctionCreat(m_context)(m_context, url.c_str(), 0644);
    if (!file)
        return false;
    const bool ok = writeAll(file, bytes);
    return smbc().getFunctionClose(m_context)(m_context, file) == 0 && ok;
}

bool SmbFiles::rename(const std::string& from, const std::string& to)
{
    return ready() &&
           smbc().getFunctionRename(m_context)(m_context, urlOf(from).c_str(), m_context, urlOf(to).c_str()) == 0;
}

// The client here cannot seek within a file it writes: the log is read and replaced as a whole,
// which also leaves it whole when the link drops in the middle.
bool SmbFiles::append(const std::string& path, std::string_view bytes, std::string_view header)
{
    if (!ready())
        return false;
    const std::string url = urlOf(path);
    std::string contents;
    struct stat info {};
    if (smbc().getFunctionStat(m_context)(m_context, url.c_str(), &info) == 0) {
        if (!readUrl(url, contents))
            return false;
    } else if (errno == ENOENT) {
        contents = header;
    } else {
        return false;
    }
    contents += bytes;
    return replaceUrl(url, contents);
}

// A new file beside the old one, then a rename over it: a reader sees the old file or the new one.
bool SmbFiles::replaceUrl(const std::string& url, std::string_view bytes)
{
    if (!ready())
        return false;
    const std::size_t slash = url.rfind('/');
    std::mt19937 random(std::random_device{}());
    const std::string temporary = url.substr(0, slash + 1) + "." + url.substr(slash + 1) + "." +
                                  std::to_string(random() % 1000000);
    struct stat existing {};
    if (smbc().getFunctionStat(m_context)(m_context, url.c_str(), &existing) == 0 && (existing.st_mode & 0222) == 0)
        return false;  // a read-only file stays as it is
    if (!writeFile(temporary, bytes)) {
        smbc().getFunctionUnlink(m_context)(m_context, temporary.c_str());
        return false;
    }
    if (smbc().getFunctionRename(m_context)(m_context, temporary.c_str(), m_context, url.c_str()) != 0) {
        smbc().getFunctionUnlink(m_context)(m_context, temporary.c_str());
        return false;
    }
    return true;
}

RemoteStat SmbFiles::stat(const std::string& path)
{
    struct stat info {};
    if (!ready() || smbc().getFunctionStat(m_context)(m_context, urlOf(path).c_str(), &info) != 0)
        return {};
    return RemoteStat{true, S_ISDIR(info.st_mode), static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_mtim)};
}

std::optional<std::vector<RemoteEntry>> SmbFiles::list(const std::string& directory)
{
    if (!ready())
        return std::nullopt;
    SMBCFILE* handle = smbc().getFunctionOpendir(m_context)(m_context, urlOf(directory).c_str());
    if (!handle)
        return std::nullopt;
    std::vector<RemoteEntry> entries;
    struct stat info {};
    while (const libsmb_file_info* entry = smbc().getFunctionReaddirPlus2(m_context)(m_context, handle, &info)) {
        if (!entry->name)
            continue;
        entries.push_back(RemoteEntry{displayName(entry->name), entry->name, (entry->attrs & kDirectory) != 0,
                                      (entry->attrs & kHidden) != 0, (entry->attrs & kSystem) != 0,
                                      entry->mtime_ts.tv_sec, static_cast<std::int64_t>(entry->size)});
    }
    smbc().getFunctionClosedir(m_context)(m_context, handle);
    return entries;
}

bool SmbFiles::removeUrl(const std::string& url)
{
    return ready() && smbc().getFunctionUnlink(m_context)(m_context, url.c_str()) == 0;
}

bool SmbFiles::connect(const std::string&, const std::string& uncPath)
{
    if (!ready())
        return false;
    // The share itself: \\SERVER\share of \\SERVER\share\folder.
    const std::size_t server = uncPath.find('\\', 2);
    const std::size_t share = server == std::string::npos ? server : uncPath.find('\\', server + 1);
    SMBCFILE* handle = smbc().getFunctionOpendir(m_context)(m_context, urlOf(uncPath.substr(0, share)).c_str());
    if (!handle)
        return false;
    smbc().getFunctionClosedir(m_context)(m_context, handle);
    return true;
}

void SmbFiles::cancel(const std::string&)
{
    if (m_context)
        smbc().getFunctionPurgeCachedServers(m_context)(m_context);
}

std::string SmbFiles::defaultReaderProgram()
{
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    const std::string program(self, static_cast<std::size_t>(length));
    const std::string folder = program.substr(0, program.rfind('/') + 1);
    for (const char* place : {"corvinax-share-reader", "../libexec/corvinax/corvinax-share-reader"}) {
        if (::access((folder + place).c_str(), X_OK) == 0)
            return folder + place;
    }
    return {};
}

std::unique_ptr<ReadAhead> SmbFiles::readAhead(const std::string& directory, const std::vector<std::string>& natives)
{
    if (m_readerProgram.empty())
        return nullptr;
    if (!m_readers) {
        const SmbCredentials account = m_credentials ? m_credentials() : SmbCredentials{};
        m_readers = std::make_unique<ShareReaders>(
            ShareReaders::Options{m_readerProgram, account, m_timeoutMs, m_port, m_readConnections, 2});
    }
    std::vector<std::string> urls;
    urls.reserve(natives.size());
    for (const std::string& native : natives)
        urls.push_back(childUrl(directory, native));
    ShareReadAhead::Limits limits;
    // Opening, reading and closing a file each wait for the server at most the timeout.
    limits.answerWaitMs = 4 * m_timeoutMs + 5000;
    return std::make_unique<ShareReadAhead>(
        *m_readers, std::move(urls),
        [this, directory, natives](std::size_t index, std::string& bytes) {
            const bool read = readChild(directory, natives[index], bytes);
            errno = read ? 0 : m_lastError;
            return read;
        },
        limits);
}

void SmbFiles::closeConnections()
{
    m_readers.reset();
    if (m_context)
        smbc().getFunctionPurgeCachedServers(m_context)(m_context);
}

}  // namespace corvinax
