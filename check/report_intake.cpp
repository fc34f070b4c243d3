#include "check/report_intake.h"

#include "check/copy_aside.h"
#include "check/work_copy_folder.h"
#include "findings/result_tree.h"
#include "platform/calendar.h"
#include "platform/drive_mapper.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/remote_files.h"
#include "reports/report.h"
#include "settings/run_view.h"
#include "settings/settings.h"

namespace corvinax {

ReportIntake::ReportIntake(const Settings& settings, RunView& view, ResultTree& tree, const Clock& clock,
                           DriveMapper& mapper)
    : m_settings(settings), m_view(view), m_tree(tree), m_clock(clock), m_mapper(mapper)
{
}

ReportIntake::~ReportIntake() = default;

void ReportIntake::beginRun(bool background)
{
    m_background = background;
    m_threshold = midnightDaysBefore(m_clock.now(), m_settings.deleteOldValue);
}

std::string ReportIntake::mapDirectory(const std::string& listedPath)
{
    const std::string drive = m_settings.workDriveName();
    if (!m_settings.mapWorkDrive || !isUncPath(listedPath) || drive.empty())
        return listedPath;
    m_mapper.cancel(drive);
    if (!m_mapper.connect(drive, listedPath)) {
        m_beforeDialog();
        m_view.showMessage("Не могу назначить " + drive + "=" + listedPath);
    }
    return listedPath;
}

std::vector<ReportCandidate> ReportIntake::collectReports(const ReportDirectory& directory,
                                                          const std::string& listedPath)
{
    std::vector<ReportCandidate> kept;
    std::vector<ReportCandidate> removal;
    // One reading of the option for the listing and for the age test of its candidates.
    const bool deleteOld = m_settings.deleteOld;
    for (ReportCandidate& candidate : directory.list(deleteOld)) {
        m_view.pumpEvents();
        if (deleteOld && chooseForRemoval(directory, listedPath, candidate))
            removal.push_back(std::move(candidate));
        else
            kept.push_back(std::move(candidate));
    }
    // Asked once, before the first removal: a copy aside into the check directory itself would be
    // removed with the report.
    bool intoItself = false;
    if (!removal.empty() && m_settings.deleteOldCopy) {
        // The program's own default folder is made at its first use; one the person chose must exist.
        const std::string& folder = m_settings.deleteOldCopyPath;
        if (!folder.empty() && folder == m_settings.defaultDeleteOldCopyPath && !isDirectory(folder))
            createDirectories(folder, 0700);
        intoItself = isCheckDirectoryItself(directory, folder);
    }
    for (const ReportCandidate& candidate : removal)
        removeReport(directory, listedPath, candidate, intoItself);
    return kept;
}

bool ReportIntake::isOld(std::time_t lastWrite) const
{
    return isEarlier(toLocal(lastWrite), m_threshold);
}

// A link is never old: the age rule acts only on the directory's own files.
bool ReportIntake::chooseForRemoval(const ReportDirectory& directory, const std::string& listedPath,
                                    const ReportCandidate& candidate)
{
    if (candidate.link || !isOld(candidate.lastWrite))
        return false;
    if (m_settings.deleteOldSilence)
        return true;

    std::string bytes;
    directory.read(candidate.native, bytes);
    const std::string infoLine = Report::parse(std::move(bytes)).computerInfoLine();
    const std::string question = joinPath(listedPath, candidate.name) + "\r\n" + infoLine +
                                 "Дата последнего изменения файла - " + formatDateTime(toLocal(candidate.lastWrite)) +
                                 "\r\n" + "Удалить файл конфигурации ?";
    m_beforeDialog();
    if (m_background)
        m_view.restore();
    const bool remove = m_view.askYesNo(question, false, Dialogs::Question::Confirmation);
    if (m_background)
        m_view.minimise();
    return remove;
}

// A report that could not be copied aside or deleted stays where it is, unread in this run.
void ReportIntake::removeReport(const ReportDirectory& directory, const std::string& listedPath,
                                const ReportCandidate& candidate, bool copyFolderIsTheDirectory)
{
    if (m_settings.deleteOldCopy) {
        const std::string& folder = m_settings.deleteOldCopyPath;
        if (copyFolderIsTheDirectory || !copyAside(directory, candidate, folder))
            return;
    }
    if (directory.remove(candidate.native))
        m_tree.addTopLevel("Удален файл " + joinPath(listedPath, candidate.name));
}

std::string ReportIntake::readReport(const ReportDirectory& directory, const ReportCandidate& report,
                                     Fetched* fetched, bool* read)
{
    std::string bytes;
    bool ok = true;
    if (!m_settings.useWorkDir) {
        if (fetched) {
            bytes = std::move(fetched->bytes);
            ok = fetched->read;
        } else {
            ok = directory.read(report.native, bytes);
        }
    } else if (!readThroughWorkCopy(directory, report, fetched, bytes)) {
        bytes.clear();
        ok = false;
        m_tree.addTopLevel("Ошибка копирования файла " + report.name + " во временный каталог");
    }
    if (read)
        *read = ok;
    return bytes;
}

bool ReportIntake::readThroughWorkCopy(const ReportDirectory& directory, const ReportCandidate& report,
                                       Fetched* fetched, std::string& bytes)
{
    WorkCopyFolder* folder = workCopyFolder();
    ReportCopySource source;
    std::string copyName;
    if (!folder)
        return false;
    if (fetched) {
        // A share's report, read ahead: what a copy from the share would take along.
        if (!fetched->read)
            return false;
        source.bytes = std::move(fetched->bytes);
        ::clock_gettime(CLOCK_REALTIME, &source.modified);
    } else if (!directory.readForCopy(report.native, source, true)) {
        return false;
    }
    if (!folder->write(source.bytes, 0600, source.modified, copyName))
        return false;
    const bool read = folder->read(copyName, bytes);
    folder->remove(copyName);
    return read;
}

// Made at the first working copy of a run, and again when the person picks another working
// directory during the run.
WorkCopyFolder* ReportIntake::workCopyFolder()
{
    if (m_workCopies && m_workCopies->workDir() != m_settings.workDir)
        m_workCopies.reset();
    if (!m_workCopies)
        m_workCopies = WorkCopyFolder::create(m_settings.workDir);
    return m_workCopies.get();
}

void ReportIntake::dropWorkCopies()
{
    m_workCopies.reset();
}

void ReportIntake::endRun()
{
    dropWorkCopies();
    if (remoteFiles())
        remoteFiles()->closeConnections();
    const std::string drive = m_settings.workDriveName();
    if (m_settings.mapWorkDrive && !drive.empty())
        m_mapper.cancel(drive);
}

}  // namespace corvinax
