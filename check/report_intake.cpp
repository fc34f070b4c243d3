#include "check/report_intake.h"

#include "app/calendar.h"
#include "app/paths.h"
#include "app/settings.h"
#include "check/drive_mapper.h"
#include "check/file_operations.h"
#include "check/report_enumeration.h"
#include "check/result_tree.h"
#include "check/run_view.h"
#include "reports/report.h"

namespace corvinax {

ReportIntake::ReportIntake(const Settings& settings, RunView& view, ResultTree& tree, const Clock& clock,
                           DriveMapper& mapper)
    : m_settings(settings), m_view(view), m_tree(tree), m_clock(clock), m_mapper(mapper)
{
}

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

std::vector<std::string> ReportIntake::collectReports(const std::string& readPath, const std::string& listedPath)
{
    std::vector<std::string> kept;
    std::vector<std::string> removal;
    for (ReportCandidate& candidate : listReportCandidates(readPath, m_settings.deleteOld)) {
        m_view.pumpEvents();
        if (chooseForRemoval(readPath, listedPath, candidate.name, candidate.lastWrite))
            removal.push_back(std::move(candidate.name));
        else
            kept.push_back(std::move(candidate.name));
    }
    for (const std::string& name : removal)
        removeReport(readPath, listedPath, name);
    return kept;
}

bool ReportIntake::isOld(std::time_t lastWrite) const
{
    return isEarlier(toLocal(lastWrite), m_threshold);
}

bool ReportIntake::chooseForRemoval(const std::string& readPath, const std::string& listedPath,
                                    const std::string& fileName, std::time_t lastWrite)
{
    if (!m_settings.deleteOld || !isOld(lastWrite))
        return false;
    if (m_settings.deleteOldSilence)
        return true;

    const std::string infoLine = Report::read(joinPath(readPath, fileName)).computerInfoLine();
    const std::string question = joinPath(listedPath, fileName) + "\r\n" + infoLine +
                                 "Дата последнего изменения файла - " + formatDateTime(toLocal(lastWrite)) + "\r\n" +
                                 "Удалить файл конфигурации ?";
    m_beforeDialog();
    if (m_background)
        m_view.restore();
    const bool remove = m_view.askYesNo(question, false);
    if (m_background)
        m_view.minimise();
    return remove;
}

// A report that could not be copied aside or deleted stays where it is, unread in this run.
void ReportIntake::removeReport(const std::string& readPath, const std::string& listedPath,
                                const std::string& fileName)
{
    const std::string source = joinPath(readPath, fileName);
    if (m_settings.deleteOldCopy) {
        const std::string& copyDir = m_settings.deleteOldCopyPath;
        if (copyDir.empty())
            return;
        const std::string copy = joinPath(copyDir, fileName);
        copyReplacing(source, copy);
        if (!isRegularFile(copy))
            return;
    }
    if (removeFile(source))
        m_tree.addTopLevel("Удален файл " + joinPath(listedPath, fileName));
}

std::string ReportIntake::prepareReport(const std::string& readPath, const std::string& fileName)
{
    const std::string source = joinPath(readPath, fileName);
    if (!m_settings.useWorkDir)
        return source;
    const std::string& workDir = m_settings.workDir;
    // An empty working directory would put the copy at the root; nothing is read then.
    const std::string copy = workDir.empty() ? std::string() : joinPath(workDir, fileName);
    if (!copy.empty() && isRegularFile(copy))
        removeFile(copy);
    if (copy.empty() || !createDirectories(workDir) || !copyReplacing(source, copy))
        m_tree.addTopLevel("Ошибка копирования файла " + fileName + " во временный каталог");
    return copy;
}

void ReportIntake::releaseReport(const std::string& fileName)
{
    if (m_settings.useWorkDir && !m_settings.workDir.empty())
        removeFile(joinPath(m_settings.workDir, fileName));
}

void ReportIntake::endRun()
{
    const std::string drive = m_settings.workDriveName();
    if (m_settings.mapWorkDrive && !drive.empty())
        m_mapper.cancel(drive);
}

}  // namespace corvinax
