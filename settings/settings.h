#pragma once

// The person's choices: what the settings page shows and the check run reads at the moment of
// use, loaded from and saved to the settings file corvinax.ini.

#include "settings/filter_table.h"

#include "profile/profile_file.h"

#include <string>
#include <vector>

namespace corvinax {

class ProfileWriteError;

class Clock;

struct CheckDirectory {
    std::string path;                  // as the person entered it, local or UNC
    std::string expectedCount = "0";   // reports found there by the previous run, decimal text
};

// Defaults that depend on the machine: where the program lies, the user's home folder.
struct DefaultPaths {
    std::string workDir;
    std::string logFileName;
    std::string smartFile;
    std::string deleteOldCopyPath;
    std::string browseFolder;  // where folder and file dialogs start

    // runtimeDirectory is the user's private runtime folder, empty when there is none.
    static DefaultPaths forThisMachine(const std::string& executableDirectory, const std::string& homeDirectory,
                                       const std::string& runtimeDirectory = {});
};

struct Settings {
    static constexpr int kDriveCount = 26;  // A: to Z:
    static constexpr int kMinDeleteOldDays = 10;
    static constexpr int kMaxDeleteOldDays = 9999;
    static constexpr const char* kDesignedTableName = "base/other.dbf";

    bool closeIfAllOk = false;
    bool expandTree = false;
    bool lowPriority = false;
    bool useWorkDir = false;
    bool mapWorkDrive = false;
    bool noSignatureCheck = true;
    int workDrive = 5;  // index into A: to Z:, -1 when no drive is selected
    std::string login;
    std::string password;
    bool autoRun = false;
    std::string workDir;
    std::string logFileName;
    std::string smartFile;
    bool deleteOld = false;
    int deleteOldValue = 77;
    bool deleteOldSilence = false;
    bool deleteOldCopy = true;
    std::string deleteOldCopyPath;
    // The program's own defaults of the two folders above, which it may create with their missing
    // levels; a folder the person chose must exist.
    std::string defaultWorkDir;
    std::string defaultDeleteOldCopyPath;
    // JSON Lines of a warehouse run's findings beside the table; empty: none.
    std::string jsonFile;

    std::vector<CheckDirectory> checkDirs;
    FilterTable filters;

    // Process-wide values, kept as read.
    bool warehouseMode = false;
    int logFileSizeMB = 0;
    int maxLines = 0;
    int maxDate = 0;
    std::string warehouseTable = kDesignedTableName;
    // From the command line, never saved: a JSON file for this run instead of jsonFile, and whether a
    // warehouse run that found violators ends with its own status.
    std::string jsonFileForThisRun;
    bool failOnFindings = false;

    // The drive name of the mapping ("A:" to "Z:"), empty when none is selected.
    std::string workDriveName() const;
    // Brings a day count into the limits of the age setting.
    static int clampDeleteOldDays(int days);
};

// A value of a state section (the newest key of a report) that a run found.
struct StateValue {
    std::string section;
    std::string key;
    std::string value;
};
using StateValues = std::vector<StateValue>;


// Whether the person's options are the same in both: the check directories (not their counts), the
// line filter table and every option of the settings page.
bool sameOptions(const Settings& a, const Settings& b);

// What a second window on the same settings file says when it cannot bring the first one forward.
std::string alreadyRunningText(const std::string& settingsPath);

// What to say when the settings file is there but cannot be read as a file; empty when it can be
// read, or is missing (a first start).
std::string settingsFileUnreadable(const std::string& path);

// What the person is told when the settings file could not be written: the file's own error, with
// the system's reason.
std::string settingsNotWritten(const ProfileWriteError& error);

// The settings file, which keeps the password: a file made by the program is its owner's alone.
ProfileFile openSettingsFile(const std::string& path);

// Reads [Config], [Strings] and [CheckDirs] into settings. settings.warehouseMode holds the
// command line's choice on entry and may be turned on by CloseIfAllOk above 1.
void loadSettings(ProfileFile& file, Settings& settings, const DefaultPaths& defaults);

// Writes [Config], [Strings] and [CheckDirs], and the state values given, as one replacement of
// the file; throws ProfileWriteError and changes nothing when the file cannot be written.
void saveSettings(ProfileFile& file, const Settings& settings, const Clock& clock, const StateValues& state = {});

}  // namespace corvinax
