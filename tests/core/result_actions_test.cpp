#include "check_run_fixture.h"
#include "output/result_actions.h"
#include "platform/error.h"

#include <sys/stat.h>

namespace corvinax {
namespace {

using test::CheckRun;
using test::readFile;
using test::TempDir;
using test::writeFile;

class ResultActions : public CheckRun {};

// Node data as a node made without a listing has it: the report's path alone.
AdditionalData at(const std::string& path)
{
    AdditionalData data;
    data.reportPath = path;
    return data;
}

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
    // A file that exists but may not be written says so, not that it is missing.
    writeFile(dir.file("kept.txt"), "an older save");
    ::chmod(dir.file("kept.txt").c_str(), 0444);
    try {
        saveResultTree(tree, dir.file("kept.txt"));
        FAIL() << "a read-only file was replaced";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + dir.file("kept.txt") + ": Permission denied");
    }
    EXPECT_EQ(readFile(dir.file("kept.txt")), "an older save");
}

TEST(Amnesty, ErasesTheChangeSectionsAndKeepsTheRest)
{
    TempDir dir;
    const std::string report = dir.file("PC.ini");
    writeFile(report, "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\na=1\r\n[Remote_Access]\r\nb=2\r\n"
                      "[Post_Accounts]\r\nc=3\r\n[Signature]\r\n0=XXXX\r\n");
    grantAmnesty(at(report));
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
        grantAmnesty(at(report));
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
    const AdditionalData pc = at(dir.file("PC.ini"));
    const AdditionalData none = at("");
    const AdditionalData missing = at(dir.file("missing.ini"));
    const AdditionalData folder = at(dir.path());
    EXPECT_TRUE(amnestyApplies(2, &pc));
    EXPECT_FALSE(amnestyApplies(0, &pc));
    EXPECT_FALSE(amnestyApplies(2, nullptr));
    EXPECT_FALSE(amnestyApplies(2, &none));
    EXPECT_FALSE(amnestyApplies(2, &missing));
    EXPECT_FALSE(amnestyApplies(2, &folder));
}

// A report in a check directory that is a link to a file elsewhere is never written through.
TEST(Amnesty, NeverWritesThroughALink)
{
    TempDir dir;
    const std::string secret = dir.file("secret");
    const std::string text = "[Config_changes]\r\na=1\r\n";
    writeFile(secret, text);
    std::filesystem::create_symlink(secret, dir.file("PC.ini"));
    EXPECT_THROW(grantAmnesty(at(dir.file("PC.ini"))), ProfileWriteError);
    EXPECT_EQ(readFile(secret), text);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("PC.ini")));
}

// The viewer and the amnesty reach the report by the name its listing gave, never by the name shown
// for it: here both files are shown as "caf?.ini".
TEST_F(ResultActions, ReachTheReportByItsListedName)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/caf\xC3\xA9.ini", test::report("ACCENT", {"07.12.2026 08:00:00=ADDED Modem"}));
    const std::string lookAlike = test::report("PLAIN", {"07.12.2026 08:00:00=ADDED Modem"});
    writeFile(cfg + "/caf?.ini", lookAlike);
    runner.StartCheck();
    const AdditionalData* accent = nullptr;
    tree.forEachInDisplayOrder([&](ResultNode& node) {
        if (node.text.starts_with("Компьютер :ACCENT,"))
            accent = node.data.get();
    });
    ASSERT_NE(accent, nullptr);
    EXPECT_EQ(accent->reportPath, cfg + "/caf?.ini");
    std::string bytes;
    ASSERT_TRUE(readNodeReport(*accent, bytes));
    EXPECT_NE(bytes.find("ACCENT"), std::string::npos);
    grantAmnesty(*accent);
    EXPECT_EQ(readFile(cfg + "/caf\xC3\xA9.ini"), "[Info]\r\nComputer_Name=ACCENT\r\n");
    EXPECT_EQ(readFile(cfg + "/caf?.ini"), lookAlike);
}

}  // namespace
}  // namespace corvinax
