#pragma once

// The export of the findings into the shared warehouse table read by the warehouse program.

#include "output/check_log.h"

#include <string>
#include <vector>

namespace corvinax {

class Clock;
class DbfTable;
class ResultTree;
class RunView;
struct Settings;

// The read list's date filter: whether a "MAC key=text" entry is not older than the limits
// (today minus MaxDate days, as yyyy.mm.dd and yy.mm.dd).
bool passesDateFilter(const std::string& entry, const std::string& longLimit, const std::string& shortLimit);

// Orders entries as the person's locale does, without regard to letter case.
bool collatesBefore(const std::string& a, const std::string& b);

class WarehouseExport {
public:
    WarehouseExport(const Settings& settings, const ResultTree& tree, RunView& view, const Clock& clock,
                    LogHeader logHeader);

    // true when the table was opened and written. The progress lines go to the check log.
    bool WriteMervoDBF();

private:
    std::vector<std::string> readOwnRows(DbfTable& table);
    std::vector<std::string> filterByDate(const std::vector<std::string>& read);
    void scanTree(std::vector<std::string>& kept, std::vector<std::string>& alarms) const;
    static void removeOwnRows(DbfTable& table);
    static void writeAlarms(DbfTable& table, const std::vector<std::string>& alarms);
    void writeGroups(DbfTable& table, const std::vector<std::string>& kept) const;
    void phase(const char* title);
    std::string now() const;

    const Settings& m_settings;
    const ResultTree& m_tree;
    RunView& m_view;
    const Clock& m_clock;
    LogHeader m_logHeader;
    std::vector<std::string> m_progress;
};

}  // namespace corvinax
