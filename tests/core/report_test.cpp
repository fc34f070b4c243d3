#include "profile/text.h"
#include "reports/report.h"
#include "support/example_report.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvinax {
namespace {

using test::TempDir;
using test::writeFile;

Report readText(const std::string& text)
{
    TempDir dir;
    writeFile(dir.file("PC.ini"), text);
    return Report::read(dir.file("PC.ini"));
}

TEST(ReportExample, GivesTheValuesTheRunNeeds)
{
    const Report report = readText(test::kExampleReport);
    EXPECT_EQ(trimControls(report.computerLine()), "Компьютер :BUH-07, Пользователь :ivanova Бухгалтерия");
    EXPECT_EQ(report.computerInfoLine(),
              "Компьютер : BUH-07,посл.регистрация : 03.03.2005 09:12:40 ivanova Бухгалтерия  \r\n");
    EXPECT_EQ(report.info().macAddr, "00-0C-29-3A-11-5F");
    EXPECT_EQ(report.storedSignature(), "U28L-373B-9PM9-G434-1T7Z-4Q77-C87H-EV87");
    const std::string key = newestKey(report.changeLines());
    EXPECT_EQ(key, "03.03.2005 09:10:03");
    EXPECT_EQ(batchPrefix(key), "03.03.2005");
    EXPECT_EQ(batchLines(report.changeLines(), batchPrefix(key)),
              (std::vector<std::string_view>{"03.03.2005 09:10:02=REMOVED Printer : LPT1 laser printer",
                                        "03.03.2005 09:10:03=Disk 0 SMART <5> : 12"}));
}

TEST(ReportDefaults, AFileThatIsNoReportGivesDefaultsAndNoLines)
{
    for (const std::string& text : {std::string(), std::string("just text\r\n\x01\x02"), std::string("[Info]\r\n")}) {
        const Report report = readText(text);
        EXPECT_EQ(report.info().computerName, "?");
        EXPECT_EQ(report.computerLine(), "Компьютер :?, Пользователь :   ");
        EXPECT_EQ(report.storedSignature(), "(Нет подписи)");
        EXPECT_TRUE(report.changeLines().empty());
        EXPECT_EQ(newestKey(report.changeLines()), "");
    }
    TempDir dir;
    EXPECT_EQ(Report::read(dir.file("missing.ini")).info().computerName, "?");
}

struct ChangeLinesCase {
    const char* name;
    const char* section;  // the lines of [Config_changes]
    std::vector<std::string> lines;
    const char* newest;
    std::vector<std::string> batch;
};

class ChangeLines : public ::testing::TestWithParam<ChangeLinesCase> {};

TEST_P(ChangeLines, DeriveNewestKeyAndBatch)
{
    const ChangeLinesCase& c = GetParam();
    const Report report = readText(std::string("[Config_changes]\r\n") + c.section);
    EXPECT_EQ(std::vector<std::string>(report.changeLines().begin(), report.changeLines().end()), c.lines);
    EXPECT_EQ(newestKey(report.changeLines()), c.newest);
    const auto batch = batchLines(report.changeLines(), batchPrefix(newestKey(report.changeLines())));
    EXPECT_EQ(std::vector<std::string>(batch.begin(), batch.end()), c.batch);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangeLines,
    ::testing::Values(
        ChangeLinesCase{"DuplicateKeyCountsOnceAtItsFirstPlace",
                        "01.03.2005 08:55:10=first\r\n01.03.2005 08:55:11=second\r\n01.03.2005 08:55:10=again\r\n",
                        {"01.03.2005 08:55:10=first", "01.03.2005 08:55:11=second"},
                        "01.03.2005 08:55:11",
                        {"01.03.2005 08:55:10=first", "01.03.2005 08:55:11=second"}},
        ChangeLinesCase{"EmptyValueIsInvisible",
                        "01.03.2005 08:55:10=shown\r\n02.03.2005 08:00:00=\r\n",
                        {"01.03.2005 08:55:10=shown"},
                        "01.03.2005 08:55:10",
                        {"01.03.2005 08:55:10=shown"}},
        ChangeLinesCase{"BlanksAroundEqualsAreNotPartOfKeyOrValue",
                        "03.03.2005 09:10:02 = REMOVED Printer \r\n",
                        {"03.03.2005 09:10:02=REMOVED Printer"},
                        "03.03.2005 09:10:02",
                        {"03.03.2005 09:10:02=REMOVED Printer"}},
        ChangeLinesCase{"SingleWordKeyShowsNothing", "01.03.2005=ADDED x\r\n", {"01.03.2005=ADDED x"}, "01.03.2005", {}},
        ChangeLinesCase{"PrefixComparedWithTheWholeLine",
                        "03.03.2005 07:00:00=old in file\r\n02.03.2005 10:00:00=other batch\r\n"
                        "03.03.2005 06:00:00=newest\r\n",
                        {"03.03.2005 07:00:00=old in file", "02.03.2005 10:00:00=other batch",
                         "03.03.2005 06:00:00=newest"},
                        "03.03.2005 06:00:00",
                        {"03.03.2005 07:00:00=old in file", "03.03.2005 06:00:00=newest"}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ReportChangeLines, AreReadCompletelyHoweverManyThereAre)
{
    std::string text = "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\n";
    for (int i = 0; i < 1000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "07.12.2026 %02d:%02d:%02d=ADDED item %d\r\n", i / 3600, i / 60 % 60, i % 60, i);
        text += line;
    }
    const Report report = readText(text);
    ASSERT_EQ(report.changeLines().size(), 1000u);
    EXPECT_EQ(newestKey(report.changeLines()), "07.12.2026 00:16:39");
    EXPECT_EQ(batchLines(report.changeLines(), "07.12.2026").size(), 1000u);
}

TEST(ReportChangeLines, NewestKeyIsTrimmedOfControlCharacters)
{
    EXPECT_EQ(newestKey({"a=1", "\x01 07.12.2026 09:00:05\t=x"}), "07.12.2026 09:00:05");
    EXPECT_EQ(newestKey({"no equals sign"}), "no equals sign");
    EXPECT_EQ(batchPrefix("07.12.2026 09:00:05"), "07.12.2026");
    EXPECT_EQ(batchPrefix(""), "");
}

}  // namespace
}  // namespace corvinax
