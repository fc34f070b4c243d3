#include "app/silent_reports.h"

#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/report_directory.h"
#include "reports/report.h"
#include "settings/settings.h"

#include <algorithm>

namespace corvinax {

std::vector<SilentReport> findSilentReports(const Settings& settings, int days, const Clock& clock)
{
    const LocalDateTime threshold = midnightDaysBefore(clock.now(), days);
    std::vector<SilentReport> silent;
    for (const CheckDirectory& listed : settings.checkDirs) {
        const ReportDirectory directory(listed.path);
        for (const ReportCandidate& candidate : directory.list(true)) {
            if (candidate.link || !isEarlier(toLocal(candidate.lastWrite), threshold))
                continue;
            std::string bytes;
            directory.read(candidate.native, bytes);
            std::string computer = Report::parse(std::move(bytes)).info().computerName;
            // A tab in a report must not shift the columns.
            std::replace_if(
                computer.begin(), computer.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }, '?');
            silent.push_back({listed.path, candidate.name, std::move(computer), candidate.lastWrite});
        }
    }
    std::stable_sort(silent.begin(), silent.end(),
                     [](const SilentReport& a, const SilentReport& b) { return a.lastWrite < b.lastWrite; });
    return silent;
}

std::string silentReportLines(const std::vector<SilentReport>& reports)
{
    std::string text;
    for (const SilentReport& report : reports)
        text += report.directory + "\t" + report.file + "\t" + report.computer + "\t" +
                formatDateTime(toLocal(report.lastWrite)) + "\n";
    return text;
}

}  // namespace corvinax
