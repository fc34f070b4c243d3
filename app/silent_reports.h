#pragma once

// Reports whose agent has gone quiet: not written for a number of days. With the days of the age
// rule it is also that rule's dry run.

#include <ctime>
#include <string>
#include <vector>

namespace corvinax {

class Clock;
struct Settings;

struct SilentReport {
    std::string directory;  // as listed
    std::string file;       // as shown
    std::string computer;   // Computer_Name, "?" when missing
    std::time_t lastWrite = 0;
};

// The reports of every listed directory last written before midnight `days` days ago (the age
// rule's threshold), oldest first. Links are left out, as the age rule leaves them. Changes nothing.
std::vector<SilentReport> findSilentReports(const Settings& settings, int days, const Clock& clock);

// One line per report: directory, file, computer and last write (dd.MM.yyyy hh:mm:ss), separated by
// tabs, each ended by a line feed; code page 1251 text.
std::string silentReportLines(const std::vector<SilentReport>& reports);

}  // namespace corvinax
