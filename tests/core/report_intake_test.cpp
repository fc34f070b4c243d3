#include "check/report_intake.h"
#include "check_run_fixture.h"
#include "platform/file_operations.h"
#include "platform/report_directory.h"
#include "support/read_only_directory.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace corvinax {
namespace {

using test::CheckRun;
using test::readFile;
using test::report;
using test::writeFile;

// Gives a file a last-write time in local time.
void setLastWrite(const std::string& path, int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class Intake : public CheckRun {
protected:
    Intake()
    {
        clock.set({2026, 5, 31, 15, 30, 0});
        settings.deleteOld = true;
        settings.deleteOldValue = 30;
        settings.deleteOldCopy = false;
        cfg = checkDir("cfg");
        writeFile(cfg + "/OLD.ini", "[Info]\r\nComputer_Name=OLD\r\nRecord_Date=01.04.2026 10:00:00\r\nParam_1=ivan\r\n");
        setLastWrite(cfg + "/OLD.ini", 2026, 4, 30, 23, 59, 59);
        writeFile(cfg + "/NEW.ini", report("NEW", {}));
        setLastWrite(cfg + "/NEW.ini", 2026, 5, 1, 0, 0, 0);
        settings.checkDirs[0].expectedCount = "2";
    }

    std::string endLine(int reports) const
    {
        return "Окончание проверки 31.05.2026 15:30:00, проверено " + std::to_string(reports) + " конф.";
    }

    std::string cfg;
};

TEST_F(Intake, StateFoundBeforeAQuestionIsOnDiskWhenItIsAsked)
{
    const std::string first = checkDir("first");  // checked before cfg
    settings.checkDirs = {{first, "1"}, {cfg, "2"}};
    writeFile(first + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    std::string onDiskAtTheQuestion;
    view.onQuestion = [&](const std::string&) { onDiskAtTheQuestion = stored(first, "PC.ini"); };
    view.answer(false);
    runner.StartCheck();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(onDiskAtTheQuestion, "07.12.2026 08:00:00");
}

TEST_F(Intake, SilentRemovalTakesOnlyReportsBeforeTheThreshold)
{
    settings.deleteOldSilence = true;
    runner.StartCheck();
    EXPECT_FALSE(test::fileExists(cfg + "/OLD.ini"));
    EXPECT_TRUE(test::fileExists(cfg + "/NEW.ini"));
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(countNodesStartingWith("Удален файл " + cfg + "/OLD.ini"), 1);
    EXPECT_EQ(countNodesStartingWith("Число файлов в " + cfg + " уменьшилось с 2 до 1"), 1);
    EXPECT_EQ(countNodesStartingWith(endLine(1)), 1);
}

TEST_F(Intake, TheQuestionNamesTheReportAndItsAge)
{
    view.answer(false);
    runner.StartCheck();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], cfg + "/OLD.ini\r\n"
                                       "Компьютер : OLD,посл.регистрация : 01.04.2026 10:00:00 ivan   \r\n"
                                       "Дата последнего изменения файла - 30.04.2026 23:59:59\r\n"
                                       "Удалить файл конфигурации ?");
    EXPECT_EQ(view.dialogs.questionKinds[0], Dialogs::Question::Confirmation);
    EXPECT_TRUE(test::fileExists(cfg + "/OLD.ini"));  // No keeps it, and it is read
    EXPECT_EQ(countNodesStartingWith(endLine(2)), 1);

    view.answer(true);
    runner.StartCheck();
    EXPECT_FALSE(test::fileExists(cfg + "/OLD.ini"));
    EXPECT_EQ(countNodesStartingWith("Удален файл " + cfg + "/OLD.ini"), 1);
}

// The listing and the age test of its candidates read the option once: ticked in the middle of a
// directory, it waits for the next one (a listing made without last-write times would otherwise make
// every remaining report look written in 1970).
TEST_F(Intake, TheAgeRuleTickedDuringAListingWaitsForTheNextDirectory)
{
    settings.deleteOld = false;
    settings.deleteOldSilence = true;
    int pumps = 0;
    view.onPump = [&] { settings.deleteOld = ++pumps >= 2; };  // from the listing's first candidate on
    runner.StartCheck();
    EXPECT_TRUE(test::fileExists(cfg + "/OLD.ini"));
    EXPECT_TRUE(test::fileExists(cfg + "/NEW.ini"));
    EXPECT_EQ(countNodesStartingWith("Удален файл "), 0);
}

TEST_F(Intake, InBackgroundModeTheWindowComesBackForTheQuestion)
{
    settings.lowPriority = true;
    view.onPump = nullptr;
    view.answer(false);
    runner.StartCheck();
    const auto& e = view.events;
    const auto first = std::find(e.begin(), e.end(), "minimise");
    const auto restored = std::find(first, e.end(), "restore");
    ASSERT_NE(restored, e.end());
    EXPECT_EQ(*(restored + 1), "minimise");
}

TEST_F(Intake, CopyAsideReplacesAnOlderCopyBeforeRemoving)
{
    settings.deleteOldSilence = true;
    settings.deleteOldCopy = true;
    settings.deleteOldCopyPath = dir.file("aside");
    std::filesystem::create_directory(settings.deleteOldCopyPath);
    writeFile(settings.deleteOldCopyPath + "/OLD.ini", "older copy");
    const std::string original = readFile(cfg + "/OLD.ini");

    runner.StartCheck();

    EXPECT_EQ(readFile(settings.deleteOldCopyPath + "/OLD.ini"), original);
    EXPECT_FALSE(test::fileExists(cfg + "/OLD.ini"));
    EXPECT_EQ(countNodesStartingWith("Удален файл "), 1);
}

TEST_F(Intake, AReportThatCannotBeCopiedAsideStaysAndIsNotRead)
{
    settings.deleteOldSilence = true;
    settings.deleteOldCopy = true;
    settings.deleteOldCopyPath = dir.file("missing");
    runner.StartCheck();
    EXPECT_TRUE(test::fileExists(cfg + "/OLD.ini"));
    EXPECT_EQ(countNodesStartingWith("Удален файл "), 0);
    EXPECT_EQ(countNodesStartingWith(endLine(1)), 1);
}

TEST_F(Intake, AReportThatCannotBeDeletedStaysAndIsNotRead)
{
    settings.deleteOldSilence = true;
    test::ReadOnlyDirectory readOnly(cfg);
    if (!readOnly.active())
        GTEST_SKIP() << "this file system cannot make a directory read-only";
    runner.StartCheck();
    EXPECT_TRUE(test::fileExists(cfg + "/OLD.ini"));
    EXPECT_EQ(countNodesStartingWith("Удален файл "), 0);
    EXPECT_EQ(countNodesStartingWith(endLine(1)), 1);
}

TEST_F(Intake, ReportsAreReadFromWorkingCopiesAndNothingElseOfTheWorkingDirectoryIsTouched)
{
    settings.deleteOld = false;
    settings.useWorkDir = true;
    settings.workDir = dir.file("work");
    std::filesystem::create_directory(settings.workDir);
    writeFile(cfg + "/NEW.ini", report("NEW", {"31.05.2026 08:00:00=ADDED Modem"}));
    const std::string leftover = report("LEFTOVER", {"31.05.2026 08:00:00=ADDED Modem"});
    writeFile(settings.workDir + "/NEW.ini", leftover);

    runner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("Компьютер :NEW,"), 1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :LEFTOVER,"), 0);
    EXPECT_EQ(readFile(settings.workDir + "/NEW.ini"), leftover);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(settings.workDir), {}), 1);
    const ResultNode& computer = *tree.topLevel()[1]->children()[0];
    EXPECT_EQ(computer.data->reportPath, cfg + "/NEW.ini");  // never the working copy
}

TEST_F(Intake, AFailedWorkingCopyIsReportedAndTheRunGoesOn)
{
    settings.deleteOld = false;
    settings.useWorkDir = true;
    settings.workDir = dir.file("work");
    std::filesystem::create_directory(settings.workDir);
    ReportIntake intake(settings, view, tree, clock, mapper);
    const ReportDirectory directory(cfg);
    const ReportCandidate candidate{"NEW.ini", "NEW.ini", 0, false};
    writeFile(settings.workDir + "/blocker", "a file where a directory should be");
    settings.workDir += "/blocker";
    EXPECT_EQ(intake.readReport(directory, candidate), "");
    EXPECT_EQ(tree.topLevel().back()->text, "Ошибка копирования файла NEW.ini во временный каталог");
}

// The copy lives in a folder of the run's own, the running user's alone, which goes with the run.
TEST_F(Intake, WorkingCopiesLiveInAPrivateFolderThatGoesWithTheRun)
{
    settings.useWorkDir = true;
    settings.workDir = dir.file("work");
    std::filesystem::create_directory(settings.workDir);
    ::chmod(settings.workDir.c_str(), 01777);
    std::vector<std::string> folders;
    view.onPump = [&] {
        for (const auto& folder : std::filesystem::directory_iterator(settings.workDir)) {
            struct stat info {};
            ::lstat(folder.path().c_str(), &info);
            folders.push_back(std::to_string(info.st_mode & 07777) + (info.st_uid == ::geteuid() ? " mine" : " other"));
        }
    };
    settings.deleteOld = false;
    writeFile(cfg + "/NEW.ini", report("NEW", {"31.05.2026 08:00:00=ADDED Modem"}));

    runner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("Компьютер :NEW,"), 1);
    ASSERT_FALSE(folders.empty());
    for (const std::string& folder : folders)
        EXPECT_EQ(folder, std::to_string(0700) + " mine");
    EXPECT_TRUE(std::filesystem::is_empty(settings.workDir));
}

// An existing working directory is taken only where no other user can swap what is in it.
TEST_F(Intake, AWorkingDirectoryOthersCouldTamperWithIsRefused)
{
    settings.deleteOld = false;
    settings.useWorkDir = true;
    struct Case {
        const char* what;
        std::string workDir;
        bool refused;
    };
    const std::string open = dir.file("open");
    const std::string sticky = dir.file("sticky");
    const std::string file = dir.file("plain-file");
    for (const std::string& folder : {open, sticky})
        std::filesystem::create_directory(folder);
    ::chmod(open.c_str(), 0777);
    ::chmod(sticky.c_str(), 01777);
    writeFile(file, "not a directory");
    const bool root = ::geteuid() == 0;
    if (root)
        (void)!::chown(open.c_str(), 65534, 65534);
    const std::vector<Case> cases = {
        {"writable by all with the sticky bit", sticky, false},
        {"writable by all, no sticky bit, another owner", open, root},
        {"a file", file, true},
        {"a share", "\\\\SERVER\\work", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.workDir = c.workDir;
        view.messages.clear();
        view.questions.clear();
        const int runsBefore = countNodesStartingWith("Начало проверки");
        runner.StartCheck();
        EXPECT_TRUE(view.questions.empty());
        EXPECT_EQ(view.messages, c.refused ? std::vector<std::string>{"Ошибочный каталог\r\n" + c.workDir}
                                           : std::vector<std::string>{});
        EXPECT_EQ(countNodesStartingWith("Начало проверки") - runsBefore, c.refused ? 0 : 1);
    }
}

TEST_F(Intake, UncDirectoriesAreMappedAndTheMappingIsDroppedAtTheEnd)
{
    settings.deleteOld = false;
    settings.mapWorkDrive = true;
    settings.checkDirs.push_back({"\\\\SERVER\\cfg", "0"});
    runner.StartCheck();
    EXPECT_EQ(mapper.calls, (std::vector<std::string>{"cancel F:", "connect F:=\\\\SERVER\\cfg", "cancel F:"}));
    EXPECT_EQ(view.messages, (std::vector<std::string>{"Не могу назначить F:=\\\\SERVER\\cfg",
                                                       "Неверный каталог \\\\SERVER\\cfg"}));
}

TEST_F(Intake, LocalDirectoriesAreNeverMappedButTheDriveIsStillDropped)
{
    settings.deleteOld = false;
    settings.mapWorkDrive = true;
    runner.StartCheck();
    EXPECT_EQ(mapper.calls, std::vector<std::string>{"cancel F:"});
    EXPECT_TRUE(view.messages.empty());

    settings.mapWorkDrive = false;
    settings.checkDirs.push_back({"\\\\SERVER\\cfg", "0"});
    runner.StartCheck();
    EXPECT_EQ(mapper.calls.size(), 1u);
}

TEST_F(Intake, WithoutADriveNameNothingIsMapped)
{
    settings.deleteOld = false;
    settings.mapWorkDrive = true;
    settings.workDrive = -1;
    settings.checkDirs.push_back({"\\\\SERVER\\cfg", "0"});
    runner.StartCheck();
    EXPECT_TRUE(mapper.calls.empty());
    EXPECT_EQ(view.messages, std::vector<std::string>{"Неверный каталог \\\\SERVER\\cfg"});
}

TEST_F(Intake, AnEmptyDirectoryEntryIsInvalidAndNothingElseIsTouched)
{
    settings.deleteOld = true;
    settings.deleteOldSilence = true;
    settings.checkDirs = {{"", "0"}};
    const std::string here = std::filesystem::current_path();
    std::filesystem::current_path(cfg);
    runner.StartCheck();
    std::filesystem::current_path(here);
    EXPECT_EQ(view.messages, std::vector<std::string>{"Неверный каталог "});
    EXPECT_TRUE(test::fileExists(cfg + "/OLD.ini"));
}

}  // namespace
}  // namespace corvinax
