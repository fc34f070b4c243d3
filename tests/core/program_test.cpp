// The built program as a scheduler starts it, in every build of it: no display, no toolkit
// variables, and, where the window's module is not beside it, no window.

#include "support/dbf_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>

namespace corvinax {
namespace {

using test::readFile;
using test::writeFile;

class Program : public ::testing::Test {
protected:
    Program()
    {
        // The program alone, without the window's module beside it.
        std::filesystem::copy_file(CORVINAX_EXECUTABLE, dir.file("corvinax"));
        std::filesystem::create_directory(dir.file("cfg"));
    }

    // The exit status, with neither a display nor the toolkit's platform in the environment.
    int run(const std::string& arguments)
    {
        const std::string command = "cd '" + dir.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                    "timeout 60 ./corvinax " + arguments + " > stdout.txt 2> stderr.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    test::TempDir dir;
};

TEST_F(Program, TheWarehouseRunNeedsNoDisplay)
{
    writeFile(dir.file("corvinax.ini"), "[Config]\r\nLOG_FileName=" + dir.file("check.log") + "\r\nWorkTable=" +
                                            dir.file("other.dbf") + "\r\n[CheckDirs]\r\nPath_0=" + dir.file("cfg") +
                                            "\r\nCount_0=1\r\n");
    writeFile(dir.file("cfg/PC-07.ini"), "[Info]\r\nComputer_Name=PC-07\r\nMAC_Addr=00-0C-29-3A-5B-7C\r\n"
                                         "[Config_changes]\r\n06.12.2026 18:20:11=ADDED Printer\r\n");
    test::createWarehouseTable(dir.file("other.dbf"), {});
    ASSERT_EQ(run("/S"), 0) << readFile(dir.file("stderr.txt"));
    EXPECT_EQ(readFile(dir.file("stderr.txt")), "");
    EXPECT_EQ(test::readWithDbfread(dir.file("other.dbf")).rows,
              std::vector<std::string>{"00-0C-29-3A-5B-7C|06.12.2026 18:20:11|CORVINAX|ADDED Printer"});
}

// Asked for a window it does not have, the program says so at once instead of waiting for nobody;
// a typo in a scheduler's line is a wrong command line.
TEST_F(Program, WithoutItsWindowEveryOtherOptionWorks)
{
    writeFile(dir.file("corvinax.ini"), "[Config]\r\nAutoRun=1\r\n");
    EXPECT_EQ(run(""), 1);
    EXPECT_NE(readFile(dir.file("stderr.txt")).find("built without the window"), std::string::npos);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(readFile(dir.file("stdout.txt")), "Corvinax v.2.00\n");
    EXPECT_EQ(run("--baseline"), 0);
    EXPECT_EQ(readFile(dir.file("stdout.txt")), "0 directories, 0 reports, 0 keys written\n");
    EXPECT_EQ(run("/S --fail-on-finding"), 64);
    EXPECT_NE(readFile(dir.file("stderr.txt")).find("unknown option --fail-on-finding"), std::string::npos);
    EXPECT_EQ(readFile(dir.file("corvinax.ini")), "[Config]\r\nAutoRun=1\r\n");
}

}  // namespace
}  // namespace corvinax
