#pragma once

// The export of the findings into the shared warehouse table read by the warehouse program.

#include "output/check_log.h"
#include "output/dbf_table.h"

#include <chrono>
#include <string>
#include <vector>

namespace corvinax {

class Clock;
class ResultTree;
class WarehouseTableFile;
class RunView;
struct Settings;

// The read list's date filter: whether a "MAC key=text" entry is not older than the limits
// (today minus MaxDate days, as yyyy.mm.dd and yy.mm.dd).
bool passesDateFilter(const std::string& entry, const std::string& longLimit, const std::string& shortLimit);

// Orders entries as the person's locale does, without regard to letter case.
bool collatesBefore(const std::string& a, const std::string& b);

enum class ExportResult {
    Written,    // the table was replaced by the new one
    NotOpened,  // missing, or locked or unreadable longer than the bound: left as it was
    Failed,     // damaged, or the new table could not be written: left as it was
};

class WarehouseExport {
public:
    // lockWait bounds the wait for the table while another export or program holds it.
    WarehouseExport(const Settings& settings, const ResultTree& tree, RunView& view, const Clock& clock,
                    LogHeader logHeader, std::chrono::milliseconds lockWait = std::chrono::seconds(30));

    // Replaces the table as a whole or leaves it byte for byte. The progress lines go to the check
    // log. Throws RunStopped when a stop was asked for before the new table took the old one's place.
    ExportResult WriteMervoDBF();

private:
    ExportResult exportInto(WarehouseTableFile& file, std::string bytes);
    std::vector<std::string> readOwnRows(const DbfTable& table);
    std::vector<std::string> filterByDate(std::vector<std::string> read);
    void scanTree(std::vector<std::string>& kept, std::vector<std::string>& alarms) const;
    static void keepOtherRows(const DbfTable& table, DbfTable::Builder& builder);
    static void writeAlarms(DbfTable::Builder& builder, const std::vector<std::string>& alarms);
    void writeGroups(DbfTable::Builder& builder, const std::vector<std::string>& kept) const;
    void report(const std::string& line);
    void phase(const char* title);
    std::string now() const;

    const Settings& m_settings;
    const ResultTree& m_tree;
    RunView& m_view;
    const Clock& m_clock;
    LogHeader m_logHeader;
    std::chrono::milliseconds m_lockWait;
    std::vector<std::string> m_progress;
    std::size_t m_ownRowsRead = 0;
    std::size_t m_textWidth = 0;  // of the table's TEXT field
};

}  // namespace corvinax
