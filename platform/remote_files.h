#pragma once

// Files behind a UNC path (\\SERVER\share\folder): the operations the program performs on them
// go to a network backend when one is registered; without one such a path reads as missing and
// cannot be written.

#include "platform/read_ahead.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvinax {

// A path of the form \\SERVER\share.
bool isUncPath(std::string_view path);

struct RemoteEntry {
    std::string name;    // as program text
    std::string native;  // the bytes the server gave, which name the file in every later operation
    bool directory = false;
    bool hidden = false;
    bool system = false;
    std::time_t lastWrite = 0;
    std::int64_t size = 0;
};

struct RemoteStat {
    bool exists = false;
    bool directory = false;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
};

class RemoteFiles {
public:
    virtual ~RemoteFiles() = default;
    virtual bool read(const std::string& path, std::string& bytes) = 0;
    // Replaces the file as a whole (a new file beside it, then a rename); false on any failure.
    virtual bool replace(const std::string& path, std::string_view bytes) = 0;
    virtual RemoteStat stat(const std::string& path) = 0;
    // nullopt when the directory cannot be listed.
    virtual std::optional<std::vector<RemoteEntry>> list(const std::string& directory) = 0;
    virtual bool remove(const std::string& path) = 0;
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // Appends bytes at the end of the file, creating it with header first when it is missing; a
    // write cut short is taken back. false on any failure, with errno set.
    virtual bool append(const std::string& path, std::string_view bytes, std::string_view header) = 0;

    // The same for a file of a directory named by the bytes its listing gave (RemoteEntry::native),
    // so that a name that program text cannot hold still names that file and no other.
    virtual bool readChild(const std::string& directory, std::string_view native, std::string& bytes) = 0;
    virtual bool replaceChild(const std::string& directory, std::string_view native, std::string_view bytes) = 0;
    virtual bool removeChild(const std::string& directory, std::string_view native) = 0;

    // The files of those names (listed bytes) of the directory, read several at once ahead of the
    // caller, as readChild gives each; nullptr when this backend reads one file at a time.
    virtual std::unique_ptr<ReadAhead> readAhead(const std::string& /*directory*/,
                                                 const std::vector<std::string>& /*natives*/)
    {
        return nullptr;
    }
    // Why the last read failed (an errno value), 0 when it did not.
    virtual int lastError() const { return 0; }
    // The end of a run: the connections kept for it are closed.
    virtual void closeConnections() {}
};

// The backend for UNC paths, or nullptr; the program registers its own at start.
void setRemoteFiles(RemoteFiles* backend);
RemoteFiles* remoteFiles();

}  // namespace corvinax
