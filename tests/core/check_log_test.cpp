#include "check_run_fixture.h"
#include "output/check_log.h"
#include "platform/error.h"

#include <fstream>
#include <sstream>

namespace corvinax {
namespace {

using test::CheckRun;
using test::readFile;
using test::report;
using test::TempDir;
using test::writeFile;

std::vector<std::string> linesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(start, bytes.size()) << "every line ends with CR LF";
    return lines;
}

class CheckLogRun : public CheckRun {};

TEST_F(CheckLogRun, WorkedExampleLineForLine)
{
    const std::string cfg = setUpWorkedExample();
    runner.StartCheck();
    EXPECT_EQ(linesOf(readFile(settings.logFileName)),
              (std::vector<std::string>{
                  "Проверка изменений конфигураций компьютеров v.2.00",
                  "/opt/corvinax/corvinax",
                  "",
                  "Начало проверки 07.12.2026 09:00:05",
                  "<DIR>" + cfg,
                  " MAC<00-0C-29-3A-5B-7C>FILE<" + cfg + "/PC-07.ini> <!>Компьютер :PC-07, Пользователь :ivanov",
                  "   06.12.2026 18:20:11=>>>ADDED Printer",
                  "   06.12.2026 18:25:40=REMOVED Modem",
                  "Число файлов в " + cfg + " увеличилось с 1 до 2",
                  "Окончание проверки 07.12.2026 09:00:09, проверено 2 конф., обнаружено нарушителей : 1",
                  "",
              }));

    // A second run without a restart writes the whole tree again, without a header.
    runner.StartCheck();
    const auto lines = linesOf(readFile(settings.logFileName));
    ASSERT_EQ(lines.size(), 11u + 10u);
    EXPECT_EQ(lines[11], "Начало проверки 07.12.2026 09:00:05");
    EXPECT_EQ(lines[19], "Окончание проверки 07.12.2026 09:00:09, проверено 2 конф., обнаружено нарушителей : 0");
}

TEST_F(CheckLogRun, ARunWithOnlyItsStartAndEndWritesNothing)
{
    checkDir("cfg");
    writeFile(settings.checkDirs[0].path + "/PC.ini", report("PC", {}));
    settings.checkDirs[0].expectedCount = "1";
    runner.StartCheck();
    EXPECT_FALSE(test::fileExists(settings.logFileName));
}

TEST_F(CheckLogRun, AnUnwritableLogIsReportedAndTheRunEndsAsUsual)
{
    checkDir("cfg");
    writeFile(settings.checkDirs[0].path + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    settings.logFileName = dir.file("missing/corvinax.log");
    settings.warehouseMode = true;
    settings.warehouseTable = dir.file("none.dbf");
    runner.StartCheck();
    ASSERT_GE(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "No such file or directory: " + settings.logFileName);
    EXPECT_NE(std::find(view.events.begin(), view.events.end(), "grid on"), view.events.end());
    EXPECT_NE(std::find(view.events.begin(), view.events.end(), "save and close"), view.events.end());
    EXPECT_EQ(view.events.back(), "save shown");
}

struct LineCase {
    int level;
    std::string text;
    std::string mark;
    std::string mac;
    std::string path;
    std::string line;
};

class LogLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(LogLine, FollowsTheLevelRules)
{
    const LineCase& c = GetParam();
    ResultTree tree;
    ResultNode* node = &tree.addTopLevel(c.level == 0 ? c.text : "dir");
    if (c.level >= 1)
        node = &tree.addChild(*node, c.level == 1 ? c.text : "pc");
    if (c.level >= 2)
        node = &tree.addChild(*node, c.text);
    if (!c.mark.empty() || !c.mac.empty() || !c.path.empty()) {
        SetAdditional(*node, kMark, c.mark);
        SetAdditional(*node, kMacAddr, c.mac);
        SetAdditional(*node, kReportPath, c.path);
    }
    EXPECT_EQ(logLine(*node), c.line);
}

const std::string kLong(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Levels, LogLine,
    ::testing::Values(LineCase{0, "Начало проверки", "", "", "", "Начало проверки"},
                      LineCase{0, "/data/cfg", "<DIR>", "", "", "<DIR>/data/cfg"},
                      LineCase{1, "Компьютер :PC", "<!>", "00-0C", "/d/PC.ini", " MAC<00-0C>FILE</d/PC.ini> <!>Компьютер :PC"},
                      LineCase{1, "Компьютер :PC", "", "", "/d/PC.ini", " MAC<>FILE</d/PC.ini> Компьютер :PC"},
                      LineCase{2, "k=a=b", ">>>", "", "", "   k=>>>a=b"},
                      LineCase{2, "no equals sign", ">>>", "", "", "   no equals sign"},
                      LineCase{2, "k=" + kLong, "", "", "", "   k=" + kLong.substr(0, 250)}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(RotatedLogName, ReplacesTheExtensionOfTheFileNameOnly)
{
    EXPECT_EQ(rotatedLogName("/var/log/corvinax.log"), "/var/log/corvinax.old");
    EXPECT_EQ(rotatedLogName("/var/logs/checks"), "/var/logs/checks.old");
    EXPECT_EQ(rotatedLogName("/var/my.logs/checks"), "/var/my.logs/checks.old");
    EXPECT_EQ(logPathFromField("\"/home/admin/my logs/check.log\""), "/home/admin/my logs/check.log");
    EXPECT_EQ(logPathFromField("/plain.log"), "/plain.log");
}

class LogRotation : public ::testing::TestWithParam<std::tuple<int, std::size_t, bool>> {};

TEST_P(LogRotation, OnlyAFileStrictlyLargerThanTheLimitIsRotated)
{
    const auto [limitMB, size, rotated] = GetParam();
    TempDir dir;
    const std::string path = dir.file("check.log");
    writeFile(path, std::string(size, 'a'));
    writeFile(dir.file("check.old"), "older rotation");
    ResultTree tree;
    for (const char* text : {"start", "line", "end"})
        tree.addTopLevel(text);

    CheckLog(path, {"Caption", "/exe"}).writeRunBlock(tree, limitMB);

    const std::string block = "start\r\nline\r\nend\r\n\r\n";
    if (rotated) {
        EXPECT_EQ(readFile(dir.file("check.old")).size(), size);
        EXPECT_EQ(readFile(path), "Caption\r\n/exe\r\n\r\n" + block);
    } else {
        EXPECT_EQ(readFile(dir.file("check.old")), "older rotation");
        EXPECT_EQ(readFile(path).size(), size + block.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LogRotation,
                         ::testing::Values(std::make_tuple(1, 1048576u, false), std::make_tuple(1, 1048577u, true),
                                           std::make_tuple(0, 1048577u, false), std::make_tuple(-1, 1048577u, false)));

TEST(CheckLogFile, AQuotedPathIsUsedWithoutItsQuotes)
{
    TempDir dir;
    CheckLog("\"" + dir.file("my log.log") + "\"", {"C", "E"}).appendLines({"one"});
    EXPECT_EQ(readFile(dir.file("my log.log")), "C\r\nE\r\n\r\none\r\n\r\n");
}

TEST(CheckLogFile, AFullDiskLeavesTheExistingLogAsItWas)
{
    if (!test::fileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    // /dev/full accepts the open and refuses every write with ENOSPC.
    try {
        CheckLog("/dev/full", {"C", "E"}).appendLines({"one"});
        FAIL() << "the write should have failed";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "No space left on device: /dev/full");
    }
}

}  // namespace
}  // namespace corvinax
