#pragma once

// Prepares each check directory for the run: connects a UNC directory, lists its reports, removes
// the ones past the age limit, and reads each report through a working copy when asked.

#include "platform/clock.h"
#include "platform/report_directory.h"

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvinax {

class Clock;
class DriveMapper;
class ResultTree;
class RunView;
class WorkCopyFolder;
struct Settings;

class ReportIntake {
public:
    ReportIntake(const Settings& settings, RunView& view, ResultTree& tree, const Clock& clock, DriveMapper& mapper);
    ~ReportIntake();
    ReportIntake(const ReportIntake&) = delete;
    ReportIntake& operator=(const ReportIntake&) = delete;

    // At the start of a run: whether the window is out of the way, and the age threshold.
    void beginRun(bool background);
    // Called before every box and question of the intake.
    void setBeforeDialog(std::function<void()> beforeDialog) { m_beforeDialog = std::move(beforeDialog); }

    // The path through which the directory's files are reached; may show the mapping message.
    std::string mapDirectory(const std::string& listedPath);
    // The reports to read, in the order the file system gives them, after the old ones were
    // removed; may ask about each old report.
    std::vector<ReportCandidate> collectReports(const ReportDirectory& directory, const std::string& listedPath);
    // The report's bytes: through a working copy when copies are asked for (a copy that fails is
    // reported and reads as an empty file), else from the directory.
    // The report as read ahead already: whether it could be read, and its bytes.
    struct Fetched {
        bool read = false;
        std::string bytes;
    };
    // fetched, when given, stands for reading the report from the directory. read, when given,
    // tells whether the report could be read (an empty report is one that could).
    std::string readReport(const ReportDirectory& directory, const ReportCandidate& report,
                           Fetched* fetched = nullptr, bool* read = nullptr);
    // Drops the connection of the drive name and the run's folder of working copies.
    void endRun();
    // The run's folder of working copies goes, whatever ended the run.
    void dropWorkCopies();

private:
    bool isOld(std::time_t lastWrite) const;
    bool chooseForRemoval(const ReportDirectory& directory, const std::string& listedPath,
                          const ReportCandidate& candidate);
    void removeReport(const ReportDirectory& directory, const std::string& listedPath,
                      const ReportCandidate& candidate, bool copyFolderIsTheDirectory);
    bool readThroughWorkCopy(const ReportDirectory& directory, const ReportCandidate& report, Fetched* fetched,
                             std::string& bytes);
    WorkCopyFolder* workCopyFolder();

    const Settings& m_settings;
    RunView& m_view;
    ResultTree& m_tree;
    const Clock& m_clock;
    DriveMapper& m_mapper;
    bool m_background = false;
    LocalDateTime m_threshold;
    std::function<void()> m_beforeDialog = [] {};
    std::unique_ptr<WorkCopyFolder> m_workCopies;
};

}  // namespace corvinax
