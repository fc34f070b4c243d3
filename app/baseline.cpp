#include "app/baseline.h"

#include "platform/report_directory.h"
#include "platform/text.h"
#include "profile/profile_file.h"
#include "reports/report.h"
#include "settings/settings.h"

#include <unordered_set>

namespace corvinax {

BaselineSummary writeBaseline(Settings& settings, const std::string& settingsPath)
{
    BaselineSummary summary;
    ProfileFile file(settingsPath);
    file.setOwnerOnly(true);
    ProfileUpdate update(file);
    for (std::size_t i = 0; i < settings.checkDirs.size(); ++i) {
        CheckDirectory& listed = settings.checkDirs[i];
        const ReportDirectory directory(listed.path);
        const std::vector<ReportCandidate> reports = directory.list(false);
        const std::unordered_set<std::string> ambiguous = ambiguousNames(reports);
        ++summary.directories;
        summary.reports += reports.size();
        for (const ReportCandidate& candidate : reports) {
            std::string bytes;
            directory.read(candidate.native, bytes);
            const Report report = Report::parse(std::move(bytes));
            const std::vector<std::string_view>& lines = report.changeLines();
            if (lines.empty() || lines.back().find('=') == std::string_view::npos ||
                !ProfileDocument::storableKey(candidate.name) || ambiguous.contains(foldCase(candidate.name)))
                continue;
            file.writeString(listed.path, candidate.name, newestKey(lines));
            ++summary.keys;
        }
        listed.expectedCount = std::to_string(reports.size());
        file.writeString("CheckDirs", "Count_" + std::to_string(i), listed.expectedCount);
    }
    update.commit();
    return summary;
}

std::string summaryLine(const BaselineSummary& summary)
{
    return std::to_string(summary.directories) + " directories, " + std::to_string(summary.reports) + " reports, " +
           std::to_string(summary.keys) + " keys written";
}

}  // namespace corvinax
