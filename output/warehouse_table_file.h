#pragma once

// The warehouse table's file, on a local disk or a share, for one export: locked against the other
// exports of this program, waited on while another program holds it for writing, read whole, and
// replaced as a whole (a new file beside it, renamed over it) or left exactly as it was.

#include <chrono>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace corvinax {

class WarehouseTableFile {
public:
    enum class Opening { Opened, Missing, Unavailable };

    // lockWait bounds each wait for a lock.
    WarehouseTableFile(std::string path, std::chrono::milliseconds lockWait);
    ~WarehouseTableFile();
    WarehouseTableFile(const WarehouseTableFile&) = delete;
    WarehouseTableFile& operator=(const WarehouseTableFile&) = delete;

    // Takes the locks and reads the whole file. Missing when no file of that name exists;
    // Unavailable when it cannot be opened or read, or stays locked longer than the bound.
    Opening open(std::string& bytes);
    // Replaces the table by bytes, keeping its permissions and owner. false, with the system's
    // reason in error, when it could not: the table is then as it was and no new file is left.
    bool replace(std::string_view bytes, std::string& error);

private:
    Opening openLocal(std::string& bytes);
    bool lockLocal();
    void removeLeftovers() const;
    bool replaceLocal(std::string_view bytes, std::string& error);

    std::string m_path;
    std::string m_native;  // the table itself, links resolved
    std::chrono::milliseconds m_lockWait;
    int m_fd = -1;
    struct stat m_info {};
};

}  // namespace corvinax
