// Runs the built program as an administrator's scheduler would: copied beside its own settings
// file, started in warehouse mode, on a machine without a display.

#include "profile/profile_document.h"
#include "support/dbf_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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
        std::filesystem::create_directory(dir.file("cfg"));
    }

    std::string program() const { return dir.file("corvinax"); }

    // The exit status; the program is given a minute, so that a hang fails instead of blocking
    // (124 when it had to be stopped).
    int run(const std::string& arguments, int seconds = 60)
    {
        const std::string command = "cd '" + dir.path() + "' && QT_QPA_PLATFORM=offscreen timeout " +
                                    std::to_string(seconds) + " '" + program() +
                                    "' " + arguments + " 2> '" + dir.file("stderr.txt") + "'";
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

}  // namespace
}  // namespace corvinax
