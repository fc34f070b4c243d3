#include "check/check_run.h"

#include "check/smart_decoder.h"
#include "check/work_copy_folder.h"
#include "findings/node_images.h"
#include "findings/result_tree.h"
#include "output/warehouse_export.h"
#include "platform/background_priority.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/native_text.h"
#include "platform/paths.h"
#include "platform/remote_files.h"
#include "platform/report_read_ahead.h"
#include "platform/stop_request.h"
#include "platform/text.h"
#include "reports/check_sign.h"
#include "reports/report.h"
#include "settings/settings.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <cmath>
#include <sys/stat.h>
#include <ctime>
#include <thread>
#include <utility>

namespace corvinax {

namespace {

constexpr int kComputerMarked = kImageAlarm;
constexpr int kLineMatched = kImagePointer;

// Background mode: lowered priority, the progress in the title, the window out of the way.
class BackgroundMode {
public:
    BackgroundMode(RunView& view, bool on) : m_view(view), m_on(on)
    {
        if (!m_on)
            return;
        m_lowered.emplace();
        m_savedTitle = m_view.applicationTitle();
        m_view.minimise();
    }
    ~BackgroundMode() { end(true); }
    BackgroundMode(const BackgroundMode&) = delete;
    BackgroundMode& operator=(const BackgroundMode&) = delete;

    bool on() const { return m_on; }
    void end(bool restoreWindow)
    {
        if (!std::exchange(m_on, false))
            return;
        m_lowered.reset();
        m_view.setApplicationTitle(m_savedTitle);
        if (restoreWindow)
            m_view.restore();
    }

private:
    RunView& m_view;
    bool m_on;
    std::optional<LoweredPriority> m_lowered;
    std::string m_savedTitle;
};

// The filter grid stays detached from the table for the whole run, whatever ends it.
class DetachedFilterGrid {
public:
    explicit DetachedFilterGrid(RunView& view) : m_view(view) { m_view.setFilterGridAttached(false); }
    ~DetachedFilterGrid() { m_view.setFilterGridAttached(true); }
    DetachedFilterGrid(const DetachedFilterGrid&) = delete;
    DetachedFilterGrid& operator=(const DetachedFilterGrid&) = delete;

private:
    RunView& m_view;
};

// An expected count that is not a decimal number (a hand-edited file) counts as 0.
int parseCount(const std::string& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

// A gauge without a span (one report) counts as complete.
long percentage(int position, int maximum)
{
    if (maximum <= 0)
        return 100;
    return std::lrint(static_cast<double>(position) * 100.0 / static_cast<double>(maximum));
}

}  // namespace

CheckRunner::CheckRunner(Settings& settings, std::string settingsPath, ResultTree& tree, SmartDecoder& smart,
                         RunView& view, const Clock& clock, DriveMapper& mapper, LogHeader logHeader)
    : m_settings(settings), m_settingsPath(std::move(settingsPath)), m_tree(tree), m_smart(smart), m_view(view),
      m_clock(clock), m_intake(settings, view, tree, clock, mapper), m_logHeader(std::move(logHeader))
{
    m_intake.setBeforeDialog([this] { flushState(); });
}

void CheckRunner::StartCheck()
{
    if (m_running)
        return;
    m_running = true;
    m_stopAsked = false;
    m_stateFailure.clear();
    m_outcome = Outcome{};
    m_view.showResultsPage();
    m_view.setExitEnabled(false);
    try {
        if (workDirReady())
            RunConfigCheck();
    } catch (const Error& error) {
        m_intake.dropWorkCopies();
        m_view.showMessage(error.what());
    } catch (const RunStopped& stop) {
        m_intake.dropWorkCopies();
        m_outcome.stoppedBy = stop.signal;
        if (stop.signal == 0)
            endStoppedByPerson();
    } catch (...) {
        m_intake.dropWorkCopies();
        throw;
    }
    m_running = false;
    m_view.setExitEnabled(true);
    m_view.showGauges(false);
    m_view.showSaveButton();
}

// Working copies are local by design, and the run makes its own folder in the working directory:
// a share, a file, or a folder in which another user could swap entries is refused.
bool CheckRunner::workDirReady()
{
    if (!m_settings.useWorkDir)
        return true;
    const std::string workDir = m_settings.workDir;
    struct stat info {};
    const bool missing = workDir.empty() || ::stat(nativePath(workDir).c_str(), &info) != 0;
    if (!isUncPath(workDir) && missing) {
        if (!m_view.askYesNo("Создать каталог\r\n" + workDir, true, Dialogs::Question::Warning))
            return false;
        if (createWorkDir(workDir))
            return true;
    } else if (isSafeWorkDirectory(workDir)) {
        return true;
    }
    m_view.showMessage("Ошибочный каталог\r\n" + workDir);
    return false;
}

// One level, as the person named it; the program's own default with its missing levels.
bool CheckRunner::createWorkDir(const std::string& workDir) const
{
    if (workDir.empty())
        return false;
    if (workDir == m_settings.defaultWorkDir)
        return createDirectories(workDir, 0700);
    return ::mkdir(nativePath(workDir).c_str(), 0700) == 0;
}

void CheckRunner::RunConfigCheck()
{
    if (m_settings.checkDirs.empty()) {
        m_view.showMessage("Для заполнения перечня каталогов нажмите на кнопку \"Добавить\"");
        return;
    }
    m_outcome.ran = true;
    {
        DetachedFilterGrid detached(m_view);
        BackgroundMode background(m_view, m_settings.lowPriority);
        m_background = background.on();
        m_firstNode = m_tree.topLevel().size();
        m_json.reset();
        if (m_settings.warehouseMode && !jsonPath().empty())
            m_json.emplace(isoTime(m_clock.now()));
        m_tree.addTopLevel("Начало проверки " + now());
        m_violators = 0;
        m_gauge1 = Gauge{};
        m_gauge2 = Gauge{};
        setGauge(RunView::Gauge::Reports, m_gauge1);
        setGauge(RunView::Gauge::Directories, m_gauge2);
        m_view.showGauges(true);
        m_view.hideStartButton();

        const std::size_t directoryCount = m_settings.checkDirs.size();
        m_singleDirectory = directoryCount == 1;
        m_stateFile.emplace(m_settingsPath);
        m_stateFile->setOwnerOnly(true);
        m_view.pumpEvents();
        m_reportTotal = 0;
        m_intake.beginRun(m_background);
        if (!m_singleDirectory) {
            m_gauge2.maximum = static_cast<int>(directoryCount) - 1;
            setGauge(RunView::Gauge::Directories, m_gauge2);
        }
        // The state values of the run are collected in memory and reach the file as one replacement:
        // at the end, before every box or question, and between directories at most every few
        // seconds, so that a run of thousands of reports rewrites the settings file once or a few
        // times, and a run cut short keeps what was found up to its last write.
        m_stateFile->beginUpdate();
        m_stateWritten = std::chrono::steady_clock::now();
        m_pendingState.clear();
        try {
            for (std::size_t i = 0; i < directoryCount; ++i) {
                checkDirectory(i);
                checkpointState();
            }
        } catch (const RunStopped&) {
            // A stop changes nothing more: what a run of several directories wrote at its checkpoints
            // (between directories, every few seconds) stays, the rest is dropped.
            m_stateFile->discardUpdate();
            m_stateFile.reset();
            m_readDirectory.reset();
            m_intake.endRun();
            throw;
        } catch (...) {
            endStateUpdate(true);
            throw;
        }
        endStateUpdate(false);
        m_stateFile.reset();
        m_readDirectory.reset();
        m_intake.endRun();

        m_tree.addTopLevel("Окончание проверки " + now() + ", проверено " + std::to_string(m_reportTotal) + " конф." +
                           ", обнаружено нарушителей : " + std::to_string(m_violators));
        m_smart.DecodeSMART("Free");
        background.end(!m_settings.warehouseMode);
        m_background = false;
        finishRun();
        m_outcome.violators = m_violators;
        writeJsonFindings();
        sayStateFailure();
    }
    if (m_settings.warehouseMode) {
        stopIfAsked();
        m_outcome.exported = WarehouseExport(m_settings, m_tree, m_view, m_clock, m_logHeader).WriteMervoDBF();
        // What was found reaches the file only with the export that carried it to the table: after a
        // failed export the next run finds the same violators and exports them again.
        const bool written = *m_outcome.exported == ExportResult::Written;
        m_view.saveSettingsAndClose(written ? m_pendingState : StateValues{});
    }
}

// Outside warehouse mode the state found reaches the file at the end of the run, whatever ended it;
// after an error that ends the run, a failure to write it is not the one to report.
void CheckRunner::endStateUpdate(bool afterAnError)
{
    if (m_settings.warehouseMode) {
        m_stateFile->discardUpdate();
        return;
    }
    try {
        m_stateFile->commitUpdate();
    } catch (const Error& error) {
        if (!afterAnError)
            keepStateFailure(error);
    }
}

// A settings file that cannot take the state does not end the run: the person still sees what it
// found, with its end line and its log, and is told afterwards that it will be found again.
void CheckRunner::keepStateFailure(const Error& error)
{
    if (!m_stateFailure.empty())
        return;
    const auto* unwritten = dynamic_cast<const ProfileWriteError*>(&error);
    m_stateFailure = unwritten ? settingsNotWritten(*unwritten) : std::string(error.what());
}

void CheckRunner::sayStateFailure()
{
    if (m_stateFailure.empty())
        return;
    m_view.showMessage(m_stateFailure + "\r\nНайденные изменения не запомнены: следующая проверка покажет их снова.");
    m_stateFailure.clear();
}

void CheckRunner::stopIfAsked() const
{
    stopIfRequested();
    if (m_stopAsked)
        throw RunStopped{0};
}

// What was found so far stays in the tree and goes to the log, with the line that says the run did
// not end by itself; no state advanced.
void CheckRunner::endStoppedByPerson()
{
    m_outcome.stoppedByPerson = true;
    m_stopAsked = false;
    m_tree.addTopLevel("Проверка прервана");
    m_smart.DecodeSMART("Free");
    writeCheckLog(true);
}

void CheckRunner::finishRun()
{
    if (m_tree.count() < 3 && m_settings.closeIfAllOk && !m_settings.warehouseMode)
        m_view.closeMainWindow();
    writeCheckLog();
    if (m_settings.expandTree && !m_settings.warehouseMode)
        m_tree.expandAll(m_firstNode);  // the nodes of this run; earlier ones stay as the person left them
    m_tree.select(m_tree.empty() ? nullptr : m_tree.topLevel().front().get());
    m_view.presentResults();
}

std::string CheckRunner::jsonPath() const
{
    return m_settings.jsonFileForThisRun.empty() ? m_settings.jsonFile : m_settings.jsonFileForThisRun;
}

// A JSON file that cannot be written leaves the previous one as it was and fails the run, so that a
// collector never takes yesterday's findings for today's; the rest of the run goes on as usual.
void CheckRunner::writeJsonFindings()
{
    if (!m_json)
        return;
    try {
        m_json->write(jsonPath());
    } catch (const Error& error) {
        m_outcome.jsonFailed = true;
        showMessage(error.what());
        try {
            CheckLog(m_settings.logFileName, m_logHeader).appendLines({error.what()});
        } catch (const Error& logError) {
            showMessage(logError.what());
        }
    }
    m_json.reset();
}

// A log that cannot be written is reported; the run still ends as usual, export included.
void CheckRunner::writeCheckLog(bool always)
{
    try {
        CheckLog(m_settings.logFileName, m_logHeader).writeRunBlock(m_tree, m_settings.logFileSizeMB, always);
    } catch (const Error& error) {
        showMessage(error.what());
    }
}

void CheckRunner::checkDirectory(std::size_t index)
{
    stopIfAsked();
    m_listedPath = m_settings.checkDirs[index].path;
    const int expected = parseCount(m_settings.checkDirs[index].expectedCount);
    m_directoryNode = nullptr;
    m_readPath = m_intake.mapDirectory(m_listedPath);
    m_readDirectory.reset();
    m_readDirectory.emplace(m_readPath);
    const std::vector<ReportCandidate> kept = m_intake.collectReports(*m_readDirectory, m_listedPath);
    m_reportTotal += kept.size();
    m_ambiguousNames = ambiguousNames(kept);

    if (kept.empty()) {
        const std::string line = "Неверный каталог " + m_listedPath;
        if (m_json)
            m_json->addLine("invalid_directory", m_listedPath, line);
        showMessage(line);
        m_tree.select(&m_tree.addTopLevel(line));
    } else {
        m_gauge1.maximum = static_cast<int>(kept.size()) - 1;
        setGauge(RunView::Gauge::Reports, m_gauge1);
        if (m_singleDirectory) {
            m_gauge2.maximum = m_gauge1.maximum;
            setGauge(RunView::Gauge::Directories, m_gauge2);
        }
        std::vector<std::string> names;
        const std::unique_ptr<ReadAhead> readAhead = startReadingAhead(kept, names);
        for (std::size_t j = 0; j < kept.size(); ++j)
            checkReport(kept[j], j, index, readAhead.get());
        if (const std::size_t lost = readAhead ? readAhead->notReadForServerGone() : 0; lost > 0)
            reportInterruptedReading(lost, kept.size());

        const int found = static_cast<int>(kept.size());
        if (found != expected) {
            const std::string& line =
                m_tree.addTopLevel("Число файлов в " + m_listedPath + (found > expected ? " увеличилось" : " уменьшилось") +
                                   " с " + std::to_string(expected) + " до " + std::to_string(found))
                    .text;
            if (m_json)
                m_json->addLine("file_count", m_listedPath, line);
            m_settings.checkDirs[index].expectedCount = std::to_string(found);
        }
    }
    if (!m_singleDirectory) {
        m_gauge2.position = static_cast<int>(index);
        setGauge(RunView::Gauge::Directories, m_gauge2);
    }
}

// A report whose newest key differs from the stored one, with the lines of its newest batch.
struct Violation {
    const Report& report;
    const std::string& fileName;
    const std::string& listedName;
    std::vector<std::string_view> batch;
    std::string notRead;  // why the report could not be read, or empty
};

// The system's reason why a report could not be read, asked again where it stands.
std::string CheckRunner::whyNotRead(const ReportCandidate& candidate, const ReadAhead* readAhead) const
{
    int error = readAhead ? readAhead->lastError() : 0;
    if (m_readDirectory->local()) {
        if (std::string reason = whyUnreadableAt(m_readDirectory->open().descriptor(), candidate.native);
            !reason.empty())
            return reason;
    } else if (error == 0 && remoteFiles()) {
        error = remoteFiles()->lastError();
    }
    return std::strerror(error != 0 ? error : EIO);
}

// A local report read in place is reached through its open directory, and may be read ahead.
bool CheckRunner::readsInPlace() const
{
    return !m_settings.useWorkDir && m_readDirectory && m_readDirectory->local();
}

// Local reports read in place are read ahead by a thread; those of a share through several
// connections at once, for working copies as well. names must outlive the reading.
std::unique_ptr<ReadAhead> CheckRunner::startReadingAhead(const std::vector<ReportCandidate>& reports,
                                                          std::vector<std::string>& names) const
{
    const bool share = isUncPath(m_readDirectory->path());
    if (reports.size() < 2 || !(readsInPlace() || (share && remoteFiles())))
        return nullptr;
    names.reserve(reports.size());
    for (const ReportCandidate& candidate : reports)
        names.push_back(candidate.native);
    if (share)
        return remoteFiles()->readAhead(m_readDirectory->path(), names);
    return std::make_unique<ReportReadAhead>(m_readDirectory->open(), names);
}

void CheckRunner::checkReport(const ReportCandidate& candidate, std::size_t reportIndex, std::size_t directoryIndex,
                              ReadAhead* readAhead)
{
    const std::string& name = candidate.name;
    stopIfAsked();
    m_gauge2.position = static_cast<int>(m_singleDirectory ? reportIndex : directoryIndex);
    setGauge(RunView::Gauge::Directories, m_gauge2);
    Gauge1Progress(static_cast<int>(reportIndex));
    m_view.pumpEvents();
    stopIfAsked();  // the person may have asked while the window had the events

    std::string bytes;
    std::string notRead;
    if (!readReport(candidate, readAhead, bytes)) {
        // Given up with its server: the directory's own line counts it, and the next run reads it.
        if (readAhead && readAhead->lastError() == ECANCELED)
            return;
        // Only a report that could not be read is asked for its size.
        const std::optional<ReportFacts> facts = m_readDirectory->factsOf(candidate);
        if (facts && facts->size > static_cast<std::int64_t>(kMaxReadBytes)) {
            m_tree.addTopLevel("Слишком большой файл " + joinPath(m_listedPath, name) + " : " +
                               std::to_string(facts->size) + " байт, не прочитан");
            return;
        }
        notRead = "Файл не прочитан: " + whyNotRead(candidate, readAhead);
        ++m_outcome.unreadReports;
    }
    const bool settled = settle(candidate, bytes);
    Report report = Report::parse(std::move(bytes));
    if (!m_settings.noSignatureCheck) {
        const std::string& computed = report.signature();
        if (computed != report.storedSignature())
            report.appendChangeLine(now() + "=Corvinax : нет или неверна подпись файла " + computed);
    }
    const std::vector<std::string_view>& lines = report.changeLines();
    if (!notRead.empty()) {
        // Said every time, and never remembered: the report's own changes show once it is read.
        const bool keyed = !lines.empty() && lines.back().find('=') != std::string::npos;
        addViolator(Violation{report, name, candidate.native,
                              keyed ? batchLines(lines, batchPrefix(newestKey(lines))) : std::vector<std::string_view>{},
                              notRead});
        return;
    }
    if (lines.empty() || lines.back().find('=') == std::string::npos)
        return;
    const std::string_view key = newestKey(lines);
    // A file name that cannot be a key of the settings file ("[x].ini", "a=b.ini") is never
    // remembered: such a report is shown on every run instead of breaking the settings file.
    // Nor is one whose name another report of the directory shows too, nor one still being written.
    const bool storable = ProfileDocument::storableKey(name) && settled && !isAmbiguous(name);
    if (storable && key == m_stateFile->readString(m_listedPath, name, ""))
        return;
    if (storable) {
        m_stateFile->writeString(m_listedPath, name, key);
        if (m_settings.warehouseMode)
            m_pendingState.push_back({m_listedPath, name, std::string(key)});
    }
    addViolator(Violation{report, name, candidate.native, batchLines(lines, batchPrefix(key)), {}});
}

// The report's bytes: read ahead, read in place, or through its working copy; false when it could
// not be read.
bool CheckRunner::readReport(const ReportCandidate& candidate, ReadAhead* readAhead, std::string& bytes)
{
    // Taken in every case, so that the reading ahead stays in step when the working directory is
    // chosen in the middle of a directory.
    std::string ahead;
    const bool readAheadOk = readAhead && readAhead->next(ahead);
    bool read = false;
    if (readAhead && !m_readDirectory->local()) {
        // A share's report is read ahead whether or not it goes through a working copy.
        ReportIntake::Fetched fetched{readAheadOk, std::move(ahead)};
        bytes = m_intake.readReport(*m_readDirectory, candidate, &fetched, &read);
        return read;
    }
    if (!readsInPlace()) {
        bytes = m_intake.readReport(*m_readDirectory, candidate, nullptr, &read);
        return read;
    }
    if (readAhead) {
        bytes = std::move(ahead);
        return readAheadOk;
    }
    return m_readDirectory->read(candidate.native, bytes);
}

// A report that ends inside a line and changed a moment ago is being written by its agent: it is read
// again after a pause, up to three times. One still unsettled keeps only its whole lines and is not
// remembered, so that a later run shows the finished line.
bool CheckRunner::settle(const ReportCandidate& candidate, std::string& bytes)
{
    constexpr int kRereads = 3;
    constexpr std::time_t kSettledAfter = 2;  // seconds since the last write
    for (int attempt = 0;; ++attempt) {
        if (bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r')
            return true;
        const std::optional<ReportFacts> facts = m_readDirectory->factsOf(candidate);
        const bool changing = facts && (facts->size != static_cast<std::int64_t>(bytes.size()) ||
                                        std::time(nullptr) - facts->lastWrite < kSettledAfter);
        if (!changing)
            return true;  // a last line without its line end, as its agent left it
        if (attempt == kRereads) {
            const std::size_t lineEnd = bytes.find_last_of("\r\n");
            bytes.resize(lineEnd == std::string::npos ? 0 : lineEnd + 1);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (readsInPlace())
            m_readDirectory->read(candidate.native, bytes);
        else
            bytes = m_intake.readReport(*m_readDirectory, candidate);
    }
}

bool CheckRunner::isAmbiguous(const std::string& name) const
{
    return !m_ambiguousNames.empty() && m_ambiguousNames.contains(foldCase(name));
}

ResultNode& CheckRunner::directoryNode()
{
    if (!m_directoryNode) {
        m_directoryNode = &m_tree.addTopLevel(m_listedPath);
        m_directoryNode->imageIndex = m_directoryNode->selectedIndex = kImageDirectory;
        SetAdditional(*m_directoryNode, kMark, "<DIR>");
    }
    return *m_directoryNode;
}

// A server that went away in the middle of a directory is said under the directory, so that the
// reports it kept back are not taken for reports without changes.
void CheckRunner::reportInterruptedReading(std::size_t notRead, std::size_t total)
{
    const std::string line = "Чтение прервано: сервер не отвечает, не прочитано " + std::to_string(notRead) + " из " +
                             std::to_string(total);
    ResultNode& node = m_tree.addChild(directoryNode(), line);
    node.imageIndex = node.selectedIndex = kImageAttention;
    if (m_json)
        m_json->addLine("read_interrupted", m_listedPath, line);
    ++m_outcome.interruptedDirectories;
}

void CheckRunner::addViolator(const Violation& violation)
{
    directoryNode();
    const std::string reportPath = joinPath(m_listedPath, violation.fileName);
    std::string computerText = violation.report.computerLine();
    if (const std::string_view trimmed = trimControls(computerText); trimmed.size() != computerText.size())
        computerText = std::string(trimmed);
    ResultNode& computer = m_tree.addChild(*m_directoryNode, std::move(computerText));
    computer.imageIndex = computer.selectedIndex = kImageComputer;
    SetAdditional(computer, kMacAddr, violation.report.info().macAddr);
    SetAdditional(computer, kReportPath, reportPath);
    SetReportName(computer, violation.listedName);
    ++m_violators;

    bool lineAdded = false;
    if (!violation.notRead.empty()) {
        ResultNode& node = m_tree.addChild(computer, violation.notRead);
        node.imageIndex = node.selectedIndex = kImageAttention;
        SetAdditional(node, kReportPath, reportPath);
        lineAdded = true;
    }
    for (std::string_view line : violation.batch) {
        std::string decoded = m_smart.DecodeSMART(line);
        const FilterOutcome outcome = m_settings.filters.match(decoded);
        if (outcome.effect == FilterOutcome::Effect::MarkComputer)
            computer.stateIndex = kComputerMarked;
        else if (outcome.effect == FilterOutcome::Effect::ExpandComputer && computer.hasChildren())
            computer.expanded = true;
        if (!outcome.shown())
            continue;
        ResultNode& node = m_tree.addChild(computer, std::move(decoded));
        node.imageIndex = GetImage(line);
        node.stateIndex = outcome.lineState;
        if (node.stateIndex == kLineMatched)
            SetAdditional(node, kMark, ">>>");
        SetAdditional(node, kReportPath, reportPath);
        lineAdded = true;
    }
    if (computer.stateIndex != -1)
        SetAdditional(computer, kMark, "<!>");
    if (!lineAdded) {
        m_tree.remove(computer);
        --m_violators;
    } else if (m_json) {
        addJsonChanges(computer, violation);
    }
}

void CheckRunner::addJsonChanges(const ResultNode& computer, const Violation& violation)
{
    const ReportInfo& info = violation.report.info();
    const JsonFindings::Source source{m_listedPath, violation.fileName, info.computerName, info.params[0],
                                      info.macAddr};
    const auto& lines = computer.children();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ResultNode& line = *lines[i];
        const bool notRead = i == 0 && !violation.notRead.empty();
        m_json->addChange(source, line.text, line.data ? line.data->mark : std::string(), computer.stateIndex != -1,
                          line.imageIndex, notRead ? "unread_file" : "change");
    }
}

void CheckRunner::Gauge1Progress(int position)
{
    m_gauge1.position = position;
    setGauge(RunView::Gauge::Reports, m_gauge1);
    if (m_background) {
        m_view.setApplicationTitle(std::to_string(percentage(m_gauge1.position, m_gauge1.maximum)) + "/" +
                                   std::to_string(percentage(m_gauge2.position, m_gauge2.maximum)) + "%");
    }
}

void CheckRunner::setGauge(RunView::Gauge which, Gauge& gauge)
{
    m_view.setGauge(which, gauge.maximum, gauge.position);
}

std::string CheckRunner::now() const
{
    return formatDateTime(m_clock.now());
}

void CheckRunner::showMessage(const std::string& text)
{
    flushState();
    m_view.showMessage(text);
}

// In warehouse mode no box waits for anyone, and the state waits for the export.
void CheckRunner::flushState()
{
    if (m_settings.warehouseMode)
        return;
    if (m_stateFile && m_stateFile->updating()) {
        try {
            m_stateFile->commitUpdate();
        } catch (const Error& error) {
            keepStateFailure(error);
        }
        m_stateFile->beginUpdate();
        m_stateWritten = std::chrono::steady_clock::now();
    }
}

void CheckRunner::checkpointState()
{
    constexpr auto kStateWriteInterval = std::chrono::seconds(2);
    if (std::chrono::steady_clock::now() - m_stateWritten >= kStateWriteInterval)
        flushState();
}

}  // namespace corvinax
