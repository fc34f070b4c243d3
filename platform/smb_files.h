#pragma once

// UNC check directories through a real SMB client (libsmbclient): the files of \\SERVER\share
// are listed with their DOS attributes, read, written, copied and removed on the server.

#include "platform/drive_mapper.h"
#include "platform/remote_files.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>

struct _SMBCCTX;
struct _SMBCFILE;
using SMBCFILE = _SMBCFILE;

namespace corvinax {

class ShareReaders;

struct SmbCredentials {
    std::string login;     // empty: the user's Kerberos ticket, else a guest connection
    std::string password;
};

class SmbFiles final : public RemoteFiles, public DriveMapper {
public:
    // credentials is asked at every connection, so that the settings count as they stand;
    // timeoutMs bounds every wait for a server; port 0 is the usual one (445, then 139).
    explicit SmbFiles(std::function<SmbCredentials()> credentials, int timeoutMs = 5000, int port = 0);
    ~SmbFiles() override;
    SmbFiles(const SmbFiles&) = delete;
    SmbFiles& operator=(const SmbFiles&) = delete;

    bool read(const std::string& path, std::string& bytes) override;
    bool replace(const std::string& path, std::string_view bytes) override;
    RemoteStat stat(const std::string& path) override;
    std::optional<std::vector<RemoteEntry>> list(const std::string& directory) override;
    bool remove(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool append(const std::string& path, std::string_view bytes, std::string_view header) override;
    bool readChild(const std::string& directory, std::string_view native, std::string& bytes) override;
    bool replaceChild(const std::string& directory, std::string_view native, std::string_view bytes) override;
    bool removeChild(const std::string& directory, std::string_view native) override;
    // Through share reader processes, connections that are started at the first directory of a
    // run and closed by closeConnections; nullptr when no share reader can be started.
    std::unique_ptr<ReadAhead> readAhead(const std::string& directory, const std::vector<std::string>& natives) override;
    void closeConnections() override;

    // The share reader's executable: by default corvinax-share-reader beside the running program,
    // or in ../libexec/corvinax from its folder. Empty: every file is read here, one at a time.
    void setReaderProgram(std::string path) { m_readerProgram = std::move(path); }
    // How many connections read at once.
    void setReadConnections(std::size_t count) { m_readConnections = count; }
    static std::string defaultReaderProgram();

    // There are no drive names here: connecting proves that the share can be reached.
    bool connect(const std::string& driveName, const std::string& uncPath) override;
    void cancel(const std::string& driveName) override;

    // Reads the file of that URL (smb://...); on failure lastError() tells the errno.
    bool readUrl(const std::string& url, std::string& bytes);
    int lastError() const override { return m_lastError; }

    // smb://SERVER/share/folder for \\SERVER\share\folder, in UTF-8.
    static std::string urlOf(const std::string& uncPath);
    // The URL of the file of that name (bytes as the server gave them) in the directory.
    static std::string childUrl(const std::string& directory, std::string_view native);

private:
    static void authenticate(_SMBCCTX* context, const char* server, const char* share, char* workgroup,
                             int workgroupLength, char* user, int userLength, char* password, int passwordLength);
    bool ready();
    bool writeFile(const std::string& url, std::string_view bytes);
    bool writeAll(SMBCFILE* file, std::string_view bytes);
    bool replaceUrl(const std::string& url, std::string_view bytes);
    bool removeUrl(const std::string& url);

    std::function<SmbCredentials()> m_credentials;
    int m_timeoutMs;
    int m_port;
    _SMBCCTX* m_context = nullptr;
    bool m_failed = false;
    int m_lastError = 0;
    std::string m_readerProgram = defaultReaderProgram();
    std::size_t m_readConnections = 16;
    std::unique_ptr<ShareReaders> m_readers;
};

}  // namespace corvinax
