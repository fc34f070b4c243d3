#pragma once

// Prepares each check directory for the run: connects a UNC directory, lists its reports, removes
// the ones past the age limit, and gives each report a working copy when asked.

#include "app/clock.h"

#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace corvinax {

class Clock;
class DriveMapper;
class ResultTree;
class RunView;
struct Settings;

class ReportIntake {
public:
    ReportIntake(const Settings& settings, RunView& view, ResultTree& tree, const Clock& clock, DriveMapper& mapper);

    // At the start of a run: whether the window is out of the way, and the age threshold.
    void beginRun(bool background);
    // Called before every box and question of the intake.
    void setBeforeDialog(std::function<void()> beforeDialog) { m_beforeDialog = std::move(beforeDialog); }

    // The path through which the directory's files are reached; may show the mapping message.
    std::string mapDirectory(const std::string& listedPath);
    // The reports to read, in the order the file system gives them, after the old ones were
    // removed; may ask about each old report.
    std::vector<std::string> collectReports(const std::string& readPath, const std::string& listedPath);
    // The path to read the report from: its working copy when copies are asked for.
    std::string prepareReport(const std::string& readPath, const std::string& fileName);
    // Deletes the report's working copy, if one was asked for.
    void releaseReport(const std::string& fileName);
    // Drops the connection of the drive name.
    void endRun();

private:
    bool isOld(std::time_t lastWrite) const;
    bool chooseForRemoval(const std::string& readPath, const std::string& listedPath, const std::string& fileName,
                          std::time_t lastWrite);
    void removeReport(const std::string& readPath, const std::string& listedPath, const std::string& fileName);

    const Settings& m_settings;
    RunView& m_view;
    ResultTree& m_tree;
    const Clock& m_clock;
    DriveMapper& m_mapper;
    bool m_background = false;
    LocalDateTime m_threshold;
    std::function<void()> m_beforeDialog = [] {};
};

}  // namespace corvinax
