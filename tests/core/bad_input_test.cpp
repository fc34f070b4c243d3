// Bad reports and a bad check directory never stop a run from reading the next report.

#include "check_run_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax {
namespace {

using test::CheckRun;
using test::report;
using test::writeFile;

struct BadReport {
    const char* name;
    std::string bytes;
};

std::vector<BadReport> badReports()
{
    std::string nulBytes = "[Info]\r\nComputer_Name=NUL\0BYTES\r\n[Config_changes]\r\n07.12.2026 08:00:00=a\0b\r\n";
    nulBytes.resize(75);
    std::string junk(4096, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 7919 + 13) % 256);
    return {
        {"junk.bin", junk},
        {"nul.ini", nulBytes},
        {"long-line.ini", "[Config_changes]\r\n07.12.2026 08:00:00=" + std::string(1 << 20, 'x') + "\r\n"},
        {"long-key.ini", "[Config_changes]\r\n" + std::string(1 << 20, 'k') + " x=y\r\n"},
        {"no-sections.ini", "Computer_Name=PC\r\n07.12.2026 08:00:00=ADDED Modem\r\n"},
        {"no-bracket.ini", "[Config_changes\r\n07.12.2026 08:00:00=ADDED Modem\r\n[Info\r\n"},
        {"bad-bytes.ini", "[Info]\r\nComputer_Name=\x98\xFF\x80\r\n[Config_changes]\r\n07.12.2026 08:00:00=\x98\r\n"},
        {"only-equals.ini", "[Config_changes]\r\n=\r\n==\r\n = x\r\n"},
        {"empty.ini", ""},
        {"cr-only.ini", std::string(100000, '\r')},
    };
}

class BadInput : public CheckRun {
protected:
    BadInput()
    {
        cfg = checkDir("cfg");
        settings.noSignatureCheck = false;
        writeFile(cfg + "/ZZ-GOOD.ini", report("GOOD", {"07.12.2026 08:00:00=ADDED Modem"}));
    }
    std::string cfg;
};

TEST_F(BadInput, BadReportsAreReadAsTheyComeAndTheGoodOneStillCounts)
{
    for (const BadReport& bad : badReports())
        writeFile(cfg + "/" + bad.name, bad.bytes);
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Компьютер :GOOD,"), 1);
    EXPECT_EQ(countNodesStartingWith("Окончание проверки 07.12.2026 09:00:05, проверено " +
                                     std::to_string(badReports().size() + 1) + " конф."),
              1);
}

// A report larger than 64 MB (a sparse file of 100 GB, say) is named and passed over; the others
// are read as ever.
TEST_F(BadInput, AReportLargerThanTheBoundIsNamedAndNotRead)
{
    const struct {
        const char* name;
        off_t size;
        bool named;
    } cases[] = {
        {"HUGE.ini", off_t{100} << 30, true},
        {"JUST-OVER.ini", (off_t{64} << 20) + 1, true},
        {"AT-THE-BOUND.ini", off_t{64} << 20, false},
    };
    for (const auto& c : cases) {
        const int fd = ::open((cfg + "/" + c.name).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(::ftruncate(fd, c.size), 0);
        ::close(fd);
    }
    runner.StartCheck();
    for (const auto& c : cases)
        EXPECT_EQ(countNodesStartingWith("Слишком большой файл " + cfg + "/" + c.name + " : " + std::to_string(c.size) +
                                         " байт, не прочитан"),
                  c.named ? 1 : 0)
            << c.name;
    EXPECT_EQ(countNodesStartingWith("Компьютер :GOOD,"), 1);
    EXPECT_EQ(stored(cfg, "HUGE.ini"), "<none>");
}

TEST_F(BadInput, StrangeEntriesOfTheDirectoryArePassedOver)
{
    std::filesystem::create_directory(cfg + "/subdirectory.ini");
    ASSERT_EQ(::mkfifo((cfg + "/pipe.ini").c_str(), 0600), 0);
    std::filesystem::create_symlink(cfg + "/loop-b.ini", cfg + "/loop-a.ini");
    std::filesystem::create_symlink(cfg + "/loop-a.ini", cfg + "/loop-b.ini");
    std::filesystem::create_symlink(cfg, cfg + "/up.ini");
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Окончание проверки 07.12.2026 09:00:05, проверено 1 конф."), 1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :GOOD,"), 1);
}

TEST_F(BadInput, AReportThatVanishesOrTurnsIntoAPipeBeforeItIsReadReadsAsEmpty)
{
    writeFile(cfg + "/AA-GONE.ini", report("GONE", {"07.12.2026 08:00:00=ADDED Modem"}));
    writeFile(cfg + "/AB-PIPE.ini", report("PIPE", {"07.12.2026 08:00:00=ADDED Modem"}));
    // The run lets the window handle its events once before the directories, once per listed
    // file, and right before it opens each report: the fourth time comes after both were listed
    // and before any report is read (the reports of a directory are read ahead of their turn).
    view.onPump = [this] {
        if (view.pumps == 4) {
            std::filesystem::remove(cfg + "/AA-GONE.ini");
            std::filesystem::remove(cfg + "/AB-PIPE.ini");
            ::mkfifo((cfg + "/AB-PIPE.ini").c_str(), 0600);
        }
    };
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Компьютер :GONE,"), 0);
    EXPECT_EQ(countNodesStartingWith("Компьютер :PIPE,"), 0);
    EXPECT_EQ(countNodesStartingWith("Компьютер :GOOD,"), 1);
    // With the signature test on, each of them is a report without a signature now.
    EXPECT_EQ(countNodesStartingWith("Компьютер :?,"), 2);
}

TEST_F(BadInput, AnUnreadableReportReadsAsEmpty)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    writeFile(cfg + "/LOCKED.ini", report("LOCKED", {"07.12.2026 08:00:00=ADDED Modem"}));
    ::chmod((cfg + "/LOCKED.ini").c_str(), 0);
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Компьютер :LOCKED,"), 0);
    EXPECT_EQ(countNodesStartingWith("Компьютер :GOOD,"), 1);
}

TEST_F(BadInput, FileNamesThatCannotBeKeysAreShownOnEveryRunAndLeaveTheSettingsWhole)
{
    for (const char* name : {"[x].ini", "a=b.ini", ";c.ini"})
        writeFile(cfg + "/" + name, report(name, {"07.12.2026 08:00:00=ADDED Modem"}));
    runner.StartCheck();
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Компьютер :[x].ini,"), 2);
    EXPECT_EQ(countNodesStartingWith("Компьютер :a=b.ini,"), 2);
    EXPECT_EQ(countNodesStartingWith("Компьютер :;c.ini,"), 2);
    EXPECT_EQ(countNodesStartingWith("Компьютер :GOOD,"), 1);
    const ProfileDocument saved = ProfileDocument::parse(test::readFile(settingsPath));
    EXPECT_EQ(saved.sectionNames(NameList::Complete), std::vector<std::string>{cfg});
    EXPECT_EQ(saved.keyNames(cfg, NameList::Complete), std::vector<std::string>{"ZZ-GOOD.ini"});
}

// Anyone who can write into a check directory could otherwise have any file removed or copied aside.
TEST_F(BadInput, AnOldReportThatIsALinkIsReadButNeverRemoved)
{
    const std::string target = dir.file("elsewhere.ini");
    writeFile(target, report("ELSEWHERE", {"01.01.2026 08:00:00=x"}));
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, target.c_str(), old, 0);
    std::filesystem::create_symlink(target, cfg + "/LINK.ini");
    settings.deleteOld = true;
    settings.deleteOldSilence = true;
    settings.deleteOldCopy = false;
    runner.StartCheck();
    EXPECT_TRUE(std::filesystem::is_symlink(cfg + "/LINK.ini"));
    EXPECT_TRUE(test::fileExists(target));
    EXPECT_EQ(countNodesStartingWith("Удален файл "), 0);
    EXPECT_EQ(countNodesStartingWith("Компьютер :ELSEWHERE,"), 1);
}

}  // namespace
}  // namespace corvinax
