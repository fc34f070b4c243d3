// Runs the built program as an administrator's scheduler would: copied beside its own settings
// file, started in warehouse mode, on a machine without a display.

#include "platform/native_text.h"
#include "profile/profile_document.h"
#include "support/dbf_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace corvinax {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

class WarehouseProcess : public ::testing::Test {
protected:
    WarehouseProcess()
    {
        std::filesystem::copy_file(CORVINAX_EXECUTABLE, program());
        // The window's module goes with it, as the install puts it beside.
        std::filesystem::copy_file(CORVINAX_WINDOW_MODULE, dir.file("corvinax-window.so"));
        std::filesystem::create_directory(dir.file("cfg"));
    }

    std::string program() const { return dir.file("corvinax"); }

    // The exit status; the program is given a minute, so that a hang fails instead of blocking
    // (124 when it had to be stopped).
    int run(const std::string& arguments, int seconds = 60)
    {
        const std::string command = "cd '" + dir.path() + "' && QT_QPA_PLATFORM=offscreen timeout " +
                                    std::to_string(seconds) + " '" + program() + "' " + arguments + " > '" +
                                    dir.file("stdout.txt") + "' 2> '" + dir.file("stderr.txt") + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string settings(const std::string& config) const
    {
        return "[Config]\r\n" + config + "LOG_FileName=" + dir.file("check.log") + "\r\nWorkTable=" +
               dir.file("other.dbf") + "\r\n[CheckDirs]\r\nPath_0=" + dir.file("cfg") + "\r\nCount_0=0\r\n";
    }

    TempDir dir;
};

TEST_F(WarehouseProcess, RunsChecksExportsSavesAndEnds)
{
    writeFile(dir.file("corvinax.ini"), settings(""));
    writeFile(dir.file("cfg/PC-07.ini"), "[Info]\r\nComputer_Name=PC-07\r\nMAC_Addr=00-0C-29-3A-5B-7C\r\n"
                                         "[Config_changes]\r\n06.12.2026 18:20:11=ADDED Printer\r\n");
    test::createWarehouseTable(dir.file("other.dbf"), {{"0001", "any", "STOCK", "any"}});

    ASSERT_EQ(run("MervoMode"), 0) << readFile(dir.file("stderr.txt"));

    const std::string log = readFile(dir.file("check.log"));
    EXPECT_NE(log.find("   06.12.2026 18:20:11=ADDED Printer\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("- Записано в " + dir.file("other.dbf") + " строк : 1\r\n"), std::string::npos) << log;
    const ProfileDocument saved = ProfileDocument::parse(readFile(dir.file("corvinax.ini")));
    EXPECT_EQ(saved.value(dir.file("cfg"), "PC-07.ini").value_or(""), "06.12.2026 18:20:11");
    EXPECT_EQ(saved.value("CheckDirs", "Count_0").value_or(""), "1");
    EXPECT_EQ(saved.value("Config", "LastRunInMervoMode").value_or("").size(), 19u);
    EXPECT_EQ(test::readWithDbfread(dir.file("other.dbf")).rows,
              (std::vector<std::string>{"0001|any|STOCK|any",
                                        "00-0C-29-3A-5B-7C|06.12.2026 18:20:11|CORVINAX|ADDED Printer"}));
}

TEST_F(WarehouseProcess, AMissingTableEndsWithAnErrorStatusAfterTheSave)
{
    writeFile(dir.file("corvinax.ini"), settings("CloseIfAllOk=2\r\n"));
    writeFile(dir.file("cfg/PC.ini"), "[Config_changes]\r\n06.12.2026 18:20:11=ADDED Printer\r\n");
    EXPECT_EQ(run(""), 2);
    EXPECT_NE(readFile(dir.file("stderr.txt")).find(dir.file("other.dbf")), std::string::npos);
    EXPECT_NE(readFile(dir.file("corvinax.ini")).find("CloseIfAllOk=1\r\n"), std::string::npos);
}

// The first argument is the one the process received: Qt's own option before /S is not taken out
// first, so this is no warehouse run (the window waits for a person until it is stopped).
TEST_F(WarehouseProcess, OnlyTheFirstArgumentAsReceivedSelectsWarehouseMode)
{
    writeFile(dir.file("corvinax.ini"), settings(""));
    EXPECT_EQ(run("-reverse /S", 3), 124);
    EXPECT_FALSE(test::fileExists(dir.file("check.log")));
    EXPECT_EQ(readFile(dir.file("corvinax.ini")), settings(""));
}

TEST_F(WarehouseProcess, NothingToCheckEndsWithoutWaitingForAnyone)
{
    writeFile(dir.file("corvinax.ini"), "[Config]\r\nLOG_FileName=" + dir.file("check.log") + "\r\n");
    EXPECT_EQ(run("/s"), 1);
    EXPECT_FALSE(readFile(dir.file("stderr.txt")).empty());
}

// The options for scripts and schedulers, each on a real network of reports.
class ScriptOptions : public WarehouseProcess {
protected:
    ScriptOptions()
    {
        writeFile(dir.file("corvinax.ini"), settings(""));
        writeFile(dir.file("cfg/PC-07.ini"), "[Info]\r\nComputer_Name=PC-07\r\nParam_1=ivanov\r\nMAC_Addr=00-0C-29-3A-5B-7C\r\n"
                                             "[Config_changes]\r\n06.12.2026 18:20:11=ADDED Printer\r\n"
                                             "06.12.2026 18:20:12=REMOVED Modem \"A\"\r\n");
        writeFile(dir.file("cfg/OLD.ini"), "[Info]\r\nComputer_Name=OLD\r\n[Config_changes]\r\n01.01.2026 10:00:00=ADDED Disk\r\n");
        const timespec longAgo[2] = {{1767254400, 0}, {1767254400, 0}};  // 01.01.2026 08:00 UTC
        ::utimensat(AT_FDCWD, dir.file("cfg/OLD.ini").c_str(), longAgo, 0);
        test::createWarehouseTable(dir.file("other.dbf"), {});
    }

    std::string output() const { return readFile(dir.file("stdout.txt")); }
    std::size_t ownRows() const { return test::readWithDbfread(dir.file("other.dbf")).rows.size(); }
};

TEST_F(ScriptOptions, AnotherSettingsFileIsUsedAndTheDefaultOneLeftAlone)
{
    std::filesystem::create_directory(dir.file("net"));
    writeFile(dir.file("net/branch.ini"), settings(""));
    std::filesystem::remove(dir.file("corvinax.ini"));
    ASSERT_EQ(run("--settings net/branch.ini /S"), 0) << readFile(dir.file("stderr.txt"));
    const ProfileDocument saved = ProfileDocument::parse(readFile(dir.file("net/branch.ini")));
    EXPECT_EQ(saved.value(dir.file("cfg"), "PC-07.ini").value_or(""), "06.12.2026 18:20:12");
    EXPECT_FALSE(test::fileExists(dir.file("corvinax.ini")));
}

// A quiet first run: afterwards a run finds nothing, logs no computer and exports no row.
TEST_F(ScriptOptions, ABaselineRecordsEveryReportAndShowsNothing)
{
    ASSERT_EQ(run("--baseline"), 0) << readFile(dir.file("stderr.txt"));
    EXPECT_EQ(output(), "1 directories, 2 reports, 2 keys written\n");
    EXPECT_FALSE(test::fileExists(dir.file("check.log")));
    ASSERT_EQ(run("/S --fail-on-findings"), 0) << readFile(dir.file("stderr.txt"));
    EXPECT_EQ(readFile(dir.file("check.log")).find("Компьютер :"), std::string::npos);
    EXPECT_EQ(ownRows(), 0u);
}

TEST_F(ScriptOptions, SilentReportsAreListedOldestFirstAndNothingChanges)
{
    const std::string before = readFile(dir.file("corvinax.ini"));
    ASSERT_EQ(run("--silent 30"), 0) << readFile(dir.file("stderr.txt"));
    std::tm local{};
    const std::time_t when = 1767254400;
    ::localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%d.%m.%Y %H:%M:%S", &local);
    EXPECT_EQ(output(), dir.file("cfg") + "\tOLD.ini\tOLD\t" + stamp + "\n");
    EXPECT_EQ(readFile(dir.file("corvinax.ini")), before);
    ASSERT_EQ(run("--silent 400"), 0);
    EXPECT_EQ(output(), "");
}

// The JSON Lines, read back by Python's own parser, field by field.
TEST_F(ScriptOptions, TheFindingsGoToJsonLinesAsTheTreeShowsThem)
{
    ASSERT_EQ(run("/S --json findings.jsonl"), 0) << readFile(dir.file("stderr.txt"));
    const std::string fields =
        "import json, sys\n"
        "for line in open(sys.argv[1], encoding='utf-8'):\n"
        "    o = json.loads(line)\n"
        "    assert len(o['time']) == 25 and o['time'][10] == 'T', o['time']\n"
        "    print('|'.join(str(o.get(k, '-')) for k in ('kind', 'directory', 'file', 'computer', 'user', 'mac',"
        " 'key', 'text', 'mark', 'computer_marked', 'picture')))\n";
    writeFile(dir.file("fields.py"), fields);
    const std::string command = "PYTHONIOENCODING=utf-8 python3 '" + dir.file("fields.py") + "' '" + dir.file("findings.jsonl") + "' > '" +
                                dir.file("fields.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string cfg = dir.file("cfg");
    std::vector<std::string> lines;
    std::istringstream text(readFile(dir.file("fields.txt")));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> expected{
        "change|" + cfg + "|OLD.ini|OLD|||01.01.2026 10:00:00|01.01.2026 10:00:00=ADDED Disk||False|added",
        "change|" + cfg + "|PC-07.ini|PC-07|ivanov|00-0C-29-3A-5B-7C|06.12.2026 18:20:11|"
        "06.12.2026 18:20:11=ADDED Printer||False|added",
        "change|" + cfg + "|PC-07.ini|PC-07|ivanov|00-0C-29-3A-5B-7C|06.12.2026 18:20:12|"
        "06.12.2026 18:20:12=REMOVED Modem \"A\"||False|modem",
        "file_count|" + cfg + "|-|-|-|-|-|" + cp1251ToUtf8("Число файлов в " + cfg + " увеличилось с 0 до 2") + "|-|-|-",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
}

TEST_F(ScriptOptions, FindingsEndAWarehouseRunWithItsOwnStatusWhenAsked)
{
    EXPECT_EQ(run("/S --fail-on-findings"), 5) << readFile(dir.file("stderr.txt"));
    EXPECT_EQ(ownRows(), 3u);  // everything else went through
    EXPECT_EQ(run("/S --fail-on-findings"), 0);
}

// A settings file that is there but cannot be read as one stops every unattended mode at once and
// says why; nothing is written in its place.
TEST_F(ScriptOptions, ASettingsFileThatCannotBeReadStopsEveryUnattendedMode)
{
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        const char* reason;
    };
    const Case cases[] = {
        {"a pipe", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); }, "not a regular file"},
        {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); }, "Is a directory"},
        {"a device", [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); },
         "not a regular file"},
        {"over the read limit",
         [](const std::string& path) {
             writeFile(path, "[Config]\r\n");
             std::filesystem::resize_file(path, (std::uintmax_t{64} << 20) + 1);
         },
         "File too large"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file("bad.ini");
        std::filesystem::remove_all(path);
        c.make(path);
        const auto kind = std::filesystem::symlink_status(path).type();
        for (const char* mode : {"/S", "--baseline", "--silent 30"}) {
            SCOPED_TRACE(std::string(c.name) + ", " + mode);
            EXPECT_EQ(run("--settings bad.ini " + std::string(mode), 20), 4);
            EXPECT_EQ(readFile(dir.file("stderr.txt")),
                      cp1251ToUtf8("Не могу прочитать файл настроек " + path + " (") + c.reason + ")\n");
            EXPECT_EQ(readFile(dir.file("stdout.txt")), "");
            EXPECT_EQ(std::filesystem::symlink_status(path).type(), kind);
        }
    }
    EXPECT_EQ(ownRows(), 0u);
}

// The JSON file failing is the run's failure, said on stderr and in the log, once the table and the
// settings went through.
TEST_F(ScriptOptions, AJsonFileThatCannotBeWrittenFailsTheRun)
{
    std::filesystem::create_directory(dir.file("findings.jsonl"));
    EXPECT_EQ(run("/S --json findings.jsonl"), 3);
    const std::string said = cp1251ToUtf8("Ошибка записи " + dir.file("findings.jsonl") + " (Is a directory)");
    EXPECT_NE(readFile(dir.file("stderr.txt")).find(said), std::string::npos) << readFile(dir.file("stderr.txt"));
    EXPECT_NE(readFile(dir.file("check.log")).find("Ошибка записи " + dir.file("findings.jsonl")), std::string::npos);
    EXPECT_EQ(ownRows(), 3u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("findings.jsonl")));
}

}  // namespace
}  // namespace corvinax
