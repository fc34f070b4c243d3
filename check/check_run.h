#pragma once

// The check run: one pass over every check directory that reads each report, decides whether its
// computer changed since the last run, and builds the violators' branches of the result tree.

#include "check/report_intake.h"
#include "output/check_log.h"
#include "output/json_findings.h"
#include "output/warehouse_export.h"
#include "platform/atomic_file.h"
#include "platform/report_directory.h"
#include "profile/profile_file.h"
#include "settings/run_view.h"

#include <cstddef>
#include <chrono>
#include <optional>
#include <string>
#include <unordered_set>

namespace corvinax {

class Clock;
class DriveMapper;
class Error;
class LoweredPriority;
class ReadAhead;
class ResultNode;
class ResultTree;
class SmartDecoder;
struct Settings;
struct Violation;

class CheckRunner {
public:
    // settings is read at the moment of use: the window keeps it current while a run pumps events.
    CheckRunner(Settings& settings, std::string settingsPath, ResultTree& tree, SmartDecoder& smart,
                RunView& view, const Clock& clock, DriveMapper& mapper, LogHeader logHeader);

    // The only way into a run. Does nothing while a run is in progress.
    void StartCheck();
    bool running() const { return m_running; }
    // The person asked to stop the run in progress: it ends at its next safe point as a signal
    // ends it (the state found since the last checkpoint is dropped, nothing is saved), with the
    // lines found so far and "Проверка прервана" in the tree and the log.
    void stopAtNextSafePoint() { m_stopAsked = m_running; }

    // How the last StartCheck went: whether a run took place, and whether its export (warehouse
    // mode only) could write the table.
    struct Outcome {
        bool ran = false;
        std::optional<ExportResult> exported;
        int stoppedBy = 0;  // the signal that stopped an unattended run, which then changed nothing
        std::size_t violators = 0;
        bool stoppedByPerson = false;              // the person stopped the run in the middle
        bool jsonFailed = false;                   // the JSON file could not be written
        std::size_t interruptedDirectories = 0;  // directories whose server stopped answering
        std::size_t unreadReports = 0;           // reports that could not be read
    };
    const Outcome& lastOutcome() const { return m_outcome; }

private:
    struct Gauge {
        int maximum = -1;
        int position = -1;
    };

    void RunConfigCheck();
    void checkDirectory(std::size_t index);
    // readAhead, when given, holds the reports of the directory read in advance, in their order.
    void checkReport(const ReportCandidate& candidate, std::size_t reportIndex, std::size_t directoryIndex,
                     ReadAhead* readAhead);
    bool readsInPlace() const;
    bool readReport(const ReportCandidate& candidate, ReadAhead* readAhead, std::string& bytes);
    std::string whyNotRead(const ReportCandidate& candidate, const ReadAhead* readAhead) const;
    void stopIfAsked() const;
    void endStoppedByPerson();
    std::unique_ptr<ReadAhead> startReadingAhead(const std::vector<ReportCandidate>& reports,
                                                 std::vector<std::string>& names) const;
    bool settle(const ReportCandidate& candidate, std::string& bytes);
    bool isAmbiguous(const std::string& name) const;
    void addViolator(const Violation& violation);
    ResultNode& directoryNode();
    void reportInterruptedReading(std::size_t notRead, std::size_t total);
    void finishRun();
    void writeCheckLog(bool always = false);
    void writeJsonFindings();
    std::string jsonPath() const;
    void addJsonChanges(const ResultNode& computer, const Violation& violation);
    bool workDirReady();
    bool createWorkDir(const std::string& workDir) const;

    void Gauge1Progress(int position);
    void setGauge(RunView::Gauge which, Gauge& gauge);
    std::string now() const;
    // A box must never find state values that are not yet on disk.
    void showMessage(const std::string& text);
    void flushState();
    void keepStateFailure(const Error& error);
    void sayStateFailure();
    void endStateUpdate(bool afterAnError);
    // The state reaches the file between directories when it has waited long enough.
    void checkpointState();

    Settings& m_settings;
    std::string m_settingsPath;
    ResultTree& m_tree;
    SmartDecoder& m_smart;
    RunView& m_view;
    const Clock& m_clock;
    ReportIntake m_intake;
    LogHeader m_logHeader;

    bool m_running = false;
    bool m_stopAsked = false;
    Outcome m_outcome;
    std::string m_stateFailure;  // why the state found could not be written, once a run
    // Per run.
    std::optional<ProfileFile> m_stateFile;
    // Warehouse mode: the state values found, which reach the file only with a completed export.
    StateValues m_pendingState;
    // Warehouse mode with a JSON file: the findings as JSON Lines.
    std::optional<JsonFindings> m_json;
    std::chrono::steady_clock::time_point m_stateWritten;
    bool m_background = false;
    bool m_singleDirectory = false;
    std::size_t m_firstNode = 0;  // the run's first top-level node
    std::size_t m_reportTotal = 0;
    std::size_t m_violators = 0;
    Gauge m_gauge1;
    Gauge m_gauge2;
    // Per directory.
    std::string m_listedPath;
    std::string m_readPath;
    std::optional<ReportDirectory> m_readDirectory;
    ResultNode* m_directoryNode = nullptr;
    // Shown names (letter case folded) that more than one report of the directory has: never
    // remembered, so that one of them cannot hide the other's changes.
    std::unordered_set<std::string> m_ambiguousNames;
};

}  // namespace corvinax
