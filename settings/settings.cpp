#include "settings/settings.h"

#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "profile/profile_file.h"

#include <algorithm>
#include <string_view>
#include <tuple>

namespace corvinax {

namespace {

constexpr std::string_view kConfig = "Config";
constexpr std::string_view kStrings = "Strings";
constexpr std::string_view kCheckDirs = "CheckDirs";
constexpr int kMaxFilterRows = 256;

std::string numbered(std::string_view prefix, std::size_t n)
{
    return std::string(prefix) + std::to_string(n);
}

void loadConfig(ProfileFile& file, Settings& s, const DefaultPaths& defaults)
{
    const int closeIfAllOk = file.readInteger(kConfig, "CloseIfAllOk", 0);
    if (closeIfAllOk > 1)
        s.warehouseMode = true;
    s.closeIfAllOk = closeIfAllOk >= 1;
    s.expandTree = file.readFlag(kConfig, "ExpandTree", false);
    s.lowPriority = file.readFlag(kConfig, "LowPriority", false);
    s.useWorkDir = file.readFlag(kConfig, "UseWorkDir", false);
    s.mapWorkDrive = file.readFlag(kConfig, "MapWorkDrive", false);
    s.noSignatureCheck = file.readFlag(kConfig, "NoSignatureCheck", true);
    const int drive = file.readInteger(kConfig, "WorkDrive", 5);
    s.workDrive = drive >= 0 && drive < Settings::kDriveCount ? drive : -1;
    s.login = file.readString(kConfig, "Login", "");
    s.password = file.readString(kConfig, "Password", "");
    s.autoRun = file.readFlag(kConfig, "AutoRun", false);
    s.workDir = file.readString(kConfig, "WorkDir", defaults.workDir);
    s.defaultWorkDir = defaults.workDir;
    s.defaultDeleteOldCopyPath = defaults.deleteOldCopyPath;
    s.logFileName = file.readString(kConfig, "LOG_FileName", defaults.logFileName);
    s.smartFile = file.readString(kConfig, "Smart_File", defaults.smartFile);
    s.deleteOld = file.readFlag(kConfig, "DeleteOld", false);
    s.deleteOldValue = Settings::clampDeleteOldDays(file.readInteger(kConfig, "DeleteOldValue", 77));
    s.deleteOldSilence = file.readFlag(kConfig, "DeleteOldSilence", false);
    s.deleteOldCopy = file.readFlag(kConfig, "DeleteOldCopy", true);
    s.deleteOldCopyPath = file.readString(kConfig, "DeleteOldCopyPath", defaults.deleteOldCopyPath);
    s.logFileSizeMB = file.readInteger(kConfig, "LogFileSizeMB", 10);
    s.jsonFile = file.readString(kConfig, "JsonFile", "");
    if (s.warehouseMode) {
        s.warehouseTable = file.readString(kConfig, "WorkTable", "");
        s.maxLines = file.readInteger(kConfig, "MaxLines", 16);
        s.maxDate = file.readInteger(kConfig, "MaxDate", 100);
    }
}

// An action code outside the pick list loads as the first action, so that one odd row never stops
// the loading (the directory list after it would be lost, and erased by the next save).
void loadStrings(ProfileFile& file, Settings& s)
{
    s.filters.clear();
    for (int n = 0; n < kMaxFilterRows; ++n) {
        const std::string text = file.readString(kStrings, numbered("Text", static_cast<std::size_t>(n)), "");
        if (text.empty())
            break;
        s.filters.appendRow(text, file.readInteger(kStrings, numbered("Mode", static_cast<std::size_t>(n)), 0));
    }
}

void loadCheckDirs(ProfileFile& file, Settings& s)
{
    s.checkDirs.clear();
    for (std::size_t n = 0;; ++n) {
        std::string path = file.readString(kCheckDirs, numbered("Path_", n), "");
        if (path.empty())
            break;
        s.checkDirs.push_back(CheckDirectory{std::move(path), file.readString(kCheckDirs, numbered("Count_", n), "0")});
    }
}

void saveConfig(ProfileFile& file, const Settings& s, const Clock& clock)
{
    file.writeFlag(kConfig, "CloseIfAllOk", s.closeIfAllOk);
    file.writeFlag(kConfig, "ExpandTree", s.expandTree);
    file.writeFlag(kConfig, "LowPriority", s.lowPriority);
    file.writeFlag(kConfig, "UseWorkDir", s.useWorkDir);
    file.writeFlag(kConfig, "NoSignatureCheck", s.noSignatureCheck);
    file.writeString(kConfig, "WorkDir", s.workDir);
    file.writeString(kConfig, "LOG_FileName", s.logFileName);
    file.writeString(kConfig, "Smart_File", s.smartFile);
    file.writeFlag(kConfig, "DeleteOld", s.deleteOld);
    file.writeInteger(kConfig, "DeleteOldValue", s.deleteOldValue);
    file.writeFlag(kConfig, "DeleteOldSilence", s.deleteOldSilence);
    file.writeFlag(kConfig, "DeleteOldCopy", s.deleteOldCopy);
    file.writeString(kConfig, "DeleteOldCopyPath", s.deleteOldCopyPath);
    file.writeFlag(kConfig, "MapWorkDrive", s.mapWorkDrive);
    file.writeInteger(kConfig, "WorkDrive", s.workDrive);
    file.writeString(kConfig, "Login", s.login);
    file.writeString(kConfig, "Password", s.password);
    file.writeFlag(kConfig, "AutoRun", s.autoRun);
    file.writeInteger(kConfig, "LogFileSizeMB", s.logFileSizeMB);
    // Written only where it is used, so that a file without it stays as it always was.
    if (!s.jsonFile.empty())
        file.writeString(kConfig, "JsonFile", s.jsonFile);
    if (s.warehouseMode)
        file.writeString(kConfig, "LastRunInMervoMode", formatDateTime(clock.now()));
}

// A row without text matches nothing; written, it would end the loading there at the next start
// and every row after it would be lost.
void saveStrings(ProfileFile& file, const Settings& s)
{
    file.eraseSection(kStrings);
    std::size_t n = 0;
    for (const FilterRow& row : s.filters.rows()) {
        if (row.text.empty())
            continue;
        file.writeString(kStrings, numbered("Text", n), row.text);
        file.writeInteger(kStrings, numbered("Mode", n), row.action.value_or(0));
        ++n;
    }
}

void saveCheckDirs(ProfileFile& file, const Settings& s)
{
    file.eraseSection(kCheckDirs);
    for (std::size_t n = 0; n < s.checkDirs.size(); ++n) {
        file.writeString(kCheckDirs, numbered("Path_", n), s.checkDirs[n].path);
        file.writeString(kCheckDirs, numbered("Count_", n), s.checkDirs[n].expectedCount);
    }
}

}  // namespace

// Working copies and removed reports go to folders of the user's own, never to a folder that other
// users can write into (such as /tmp) or to the home folder itself, where a removed report could
// take the name of the user's files.
DefaultPaths DefaultPaths::forThisMachine(const std::string& executableDirectory, const std::string& homeDirectory,
                                          const std::string& runtimeDirectory)
{
    const std::string installed = installedDataDirectory(executableDirectory);
    const std::string dataDirectory = installed.empty() ? executableDirectory : installed;
    const std::string workDir = runtimeDirectory.empty() ? joinPath(homeDirectory, ".cache/corvinax/work")
                                                         : joinPath(runtimeDirectory, "corvinax");
    return DefaultPaths{workDir, joinPath(homeDirectory, "corvinax.log"),
                        joinPath(joinPath(dataDirectory, "BASE"), "Smart"),
                        joinPath(homeDirectory, ".local/share/corvinax/removed"), homeDirectory};
}

std::string Settings::workDriveName() const
{
    if (workDrive < 0 || workDrive >= kDriveCount)
        return {};
    return std::string(1, static_cast<char>('A' + workDrive)) + ':';
}

int Settings::clampDeleteOldDays(int days)
{
    return std::clamp(days, kMinDeleteOldDays, kMaxDeleteOldDays);
}

bool sameOptions(const Settings& a, const Settings& b)
{
    const auto options = [](const Settings& s) {
        return std::tie(s.closeIfAllOk, s.expandTree, s.lowPriority, s.useWorkDir, s.mapWorkDrive, s.noSignatureCheck,
                        s.workDrive, s.login, s.password, s.autoRun, s.workDir, s.logFileName, s.smartFile, s.deleteOld,
                        s.deleteOldValue, s.deleteOldSilence, s.deleteOldCopy, s.deleteOldCopyPath);
    };
    const auto samePath = [](const CheckDirectory& x, const CheckDirectory& y) { return x.path == y.path; };
    const auto sameRow = [](const FilterRow& x, const FilterRow& y) { return x.text == y.text && x.mode == y.mode; };
    return options(a) == options(b) &&
           std::equal(a.checkDirs.begin(), a.checkDirs.end(), b.checkDirs.begin(), b.checkDirs.end(), samePath) &&
           std::equal(a.filters.rows().begin(), a.filters.rows().end(), b.filters.rows().begin(),
                      b.filters.rows().end(), sameRow);
}

std::string alreadyRunningText(const std::string& settingsPath)
{
    return "Программа уже запущена с файлом настроек " + settingsPath;
}

std::string settingsFileUnreadable(const std::string& path)
{
    const std::string reason = whyUnreadable(path);
    return reason.empty() ? std::string() : "Не могу прочитать файл настроек " + path + " (" + reason + ")";
}

std::string settingsNotWritten(const ProfileWriteError& error)
{
    return "Не удалось записать файл настроек:\r\n" + std::string(error.what()) + "\r\nПричина: " + error.reason();
}

ProfileFile openSettingsFile(const std::string& path)
{
    ProfileFile file(path);
    file.setOwnerOnly(true);
    return file;
}

void loadSettings(ProfileFile& file, Settings& settings, const DefaultPaths& defaults)
{
    loadConfig(file, settings, defaults);
    loadStrings(file, settings);
    loadCheckDirs(file, settings);
}

void saveSettings(ProfileFile& file, const Settings& settings, const Clock& clock, const StateValues& state)
{
    ProfileUpdate update(file);
    saveConfig(file, settings, clock);
    saveStrings(file, settings);
    saveCheckDirs(file, settings);
    for (const StateValue& value : state)
        file.writeString(value.section, value.key, value.value);
    update.commit();
}

}  // namespace corvinax
