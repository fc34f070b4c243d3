#include "check_run_fixture.h"
#include "output/result_actions.h"
#include "profile/error.h"

#include <sys/stat.h>

namespace corvinax {
namespace {

using test::CheckRun;
using test::readFile;
using test::TempDir;
using test::writeFile;

class ResultActions : public CheckRun {};

TEST_F(ResultActions, SavedTextIsTabIndentedWithoutMarks)
{
    const std::string cfg = setUpWorkedExample();
    runner.StartCheck();
    const std::string path = dir.file("results.txt");
    writeFile(path, "an older save");
    saveResultTree(tree, path);
    EXPECT_EQ(readFile(path), "Начало проверки 07.12.2026 09:00:05\r\n" + cfg +
                                  "\r\n"
                                  "\tКомпьютер :PC-07, Пользователь :ivanov\r\n"
                                  "\t\t06.12.2026 18:20:11=ADDED Printer\r\n"
                                  "\t\t06.12.2026 18:25:40=REMOVED Modem\r\n"
                                  "Число файлов в " + cfg + " увеличилось с 1 до 2\r\n"
                                  "Окончание проверки 07.12.2026 09:00:09, проверено 2 конф., обнаружено нарушителей : 1\r\n");
}

TEST(ResultText, AnEmptyTreeGivesAnEmptyFileAndAnUnwritablePathAnError)
{
    TempDir dir;
    ResultTree tree;
    saveResultTree(tree, dir.file("empty.txt"));
    EXPECT_EQ(readFile(dir.file("empty.txt")), "");
    EXPECT_THROW(saveResultTree(tree, dir.file("missing/x.txt")), Error);
}

TEST(Amnesty, ErasesTheChangeSectionsAndKeepsTheRest)
{
    TempDir dir;
    const std::string report = dir.file("PC.ini");
    writeFile(report, "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\na=1\r\n[Remote_Access]\r\nb=2\r\n"
                      "[Post_Accounts]\r\nc=3\r\n[Signature]\r\n0=XXXX\r\n");
    grantAmnesty(report);
    EXPECT_EQ(readFile(report), "[Info]\r\nComputer_Name=PC\r\n[Signature]\r\n0=XXXX\r\n");
}

TEST(Amnesty, AReadOnlyReportStaysAsItWasAndSaysSo)
{
    TempDir dir;
    const std::string report = dir.file("PC.ini");
    const std::string text = "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\na=1\r\n[Post_Accounts]\r\nc=3\r\n";
    writeFile(report, text);
    ::chmod(report.c_str(), 0444);
    try {
        grantAmnesty(report);
        FAIL() << "the amnesty should have failed";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + report);
    }
    EXPECT_EQ(readFile(report), text);
}

TEST(Amnesty, AppliesOnlyPastTheFirstNodeToAnExistingReport)
{
    TempDir dir;
    writeFile(dir.file("PC.ini"), "[Info]\r\n");
    EXPECT_TRUE(amnestyApplies(2, dir.file("PC.ini")));
    EXPECT_FALSE(amnestyApplies(0, dir.file("PC.ini")));
    EXPECT_FALSE(amnestyApplies(2, ""));
    EXPECT_FALSE(amnestyApplies(2, dir.file("missing.ini")));
    EXPECT_FALSE(amnestyApplies(2, dir.path()));
}

}  // namespace
}  // namespace corvinax
