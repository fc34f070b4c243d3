#pragma once

// The warehouse table's file, on a local disk or a share, for one export: locked against the other
// exports of this program, waited on while another program holds it for writing, read whole, and
// replaced as a whole (a new file beside it, renamed over it) or left exactly as it was.

#include "platform/private_lock.h"
#include "platform/write_place.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace corvinax {

class WarehouseTableFile {
public:
    // Busy: another program held the table for writing (or another export of this user's its
    // lock) for the whole wait.
    enum class Opening { Opened, Missing, Unavailable, Busy };

    // lockWait bounds each wait for a lock.
    WarehouseTableFile(std::string path, std::chrono::milliseconds lockWait);
    ~WarehouseTableFile();
    WarehouseTableFile(const WarehouseTableFile&) = delete;
    WarehouseTableFile& operator=(const WarehouseTableFile&) = delete;

    // Takes the locks and reads the whole file. Missing when no file of that name exists;
    // Unavailable when it cannot be opened for reading and writing, or read; Busy when it stays
    // locked longer than the bound.
    Opening open(std::string& bytes);
    // Replaces the table by bytes, keeping its permissions and owner. false, with the system's
    // reason in error, when it could not: the table is then as it was and no new file is left.
    bool replace(std::string_view bytes, std::string& error);

private:
    Opening openLocal(std::string& bytes);
    Opening lockLocal(std::chrono::steady_clock::time_point deadline);
    bool replaceLocal(std::string_view bytes, std::string& error);

    std::string m_path;
    std::chrono::milliseconds m_lockWait;
    WritePlace m_place;  // the table itself, links resolved as far as they may be followed
    std::optional<PrivateLock> m_exportLock;
    int m_fd = -1;
    struct stat m_info {};
};

}  // namespace corvinax
