#include "platform/text.h"
#include "reports/quick_report.h"
#include "reports/report.h"
#include "support/example_report.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>

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
    const std::string key(newestKey(report.changeLines()));
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

// The quick reading of plain reports and the full parse must give the run the same report.
void expectSameReading(const std::string& text)
{
    const Report quick = Report::parse(text);
    const Report full = Report::parseThroughProfile(text);
    EXPECT_EQ(quick.computerInfoLine(), full.computerInfoLine());
    EXPECT_EQ(quick.info().macAddr, full.info().macAddr);
    EXPECT_EQ(quick.changeLines(), full.changeLines());
    EXPECT_EQ(quick.storedSignature(), full.storedSignature());
    EXPECT_EQ(quick.signature(), full.signature());
}

struct ReadingCase {
    const char* name;
    std::string text;
    bool plain;  // read quickly
};

class QuickReading : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(QuickReading, GivesWhatTheFullParseGives)
{
    const ReadingCase& c = GetParam();
    QuickReport quick;
    EXPECT_EQ(readQuickly(c.text, quick), c.plain);
    expectSameReading(c.text);
}

const std::string kExample = test::kExampleReport;

std::string manyKeys(int count)
{
    std::string text = "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\n";
    for (int i = 0; i < count; ++i)
        text += "07.12.2026 10:" + std::to_string(100000 + i) + "=line\r\n";
    return text;
}

std::string manySections(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "[S" + std::to_string(i) + "]\r\nk=v" + std::to_string(i) + "\r\n";
    return text + "[Info]\r\nComputer_Name=PC\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuickReading,
    ::testing::Values(
        ReadingCase{"Example", kExample, true},
        ReadingCase{"Empty", "", true},
        ReadingCase{"BlanksQuotesCommentsAndLoneLineEnds",
                    "junk before\r[ Info ]\n Computer_Name = \"PC 1\" \r\n;Param_1=no\rParam_1='x'\n"
                    "[Config_changes]\r\n a = b \r\nplain\r\nempty=\r\n[signature]\n0 = 'S'\n",
                    true},
        ReadingCase{"LongValueIsCut", "[Info]\r\nParam_4=" + std::string(1500, 'v') + "\r\n", true},
        ReadingCase{"RepeatedKey", kExample + "[Config_changes]\r\n", false},
        ReadingCase{"RepeatedKeyInAnySpelling", "[Info]\r\nParam_1=a\r\nPARAM_1=b\r\n", false},
        ReadingCase{"RepeatedChangeKey",
                    "[Config_changes]\r\n01.01.2026 10:00:00=a\r\n01.01.2026 10:00:00=b\r\n", false},
        ReadingCase{"RepeatedSection", kExample + "[info]\r\nComputer_Name=OTHER\r\n", false},
        ReadingCase{"EmptyKey", "[Info]\r\nComputer_Name=PC\r\n=x\r\nParam_1=after\r\n", false},
        ReadingCase{"EmptySectionName", "[]\r\na=b\r\n[Info]\r\nComputer_Name=PC\r\n", false},
        ReadingCase{"KeysBeyondTheWindowsBuffer", manyKeys(500), false},
        ReadingCase{"KeysWithinTheWindowsBuffer", manyKeys(300), true},
        ReadingCase{"RepeatedKeyAmongMany", manyKeys(300) + "07.12.2026 10:100000=again\r\n", false},
        ReadingCase{"SameKeyInTwoSections", "[a]\r\nk=1\r\n[b]\r\nK=2\r\n", true},
        ReadingCase{"ManySections", manySections(40), false},
        ReadingCase{"SignatureSectionsLeftOut", kExample + "[OldSignature]\r\n0=x\r\n", true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(QuickReading, AgreesWithTheFullParseOnRandomReports)
{
    // Reports put together line by line from the pieces that decide how a line reads.
    const std::vector<std::string> headers = {"[Info]", "[Config_changes]", "[Signature]", "[OldSignature]", " [ info ] ",
                                              "[]",     "[x]",              "[Post_Accounts",  "[a]b]"};
    const std::vector<std::string> keys = {"Computer_Name", "Param_1", "param_1", "MAC_Addr", "0", "",
                                           "01.01.2026 10:00:00", "01.01.2026 10:00:01", ";c", " Ж", "ж"};
    const std::vector<std::string> separators = {"=", " = ", "==", "\t=", ""};
    const std::vector<std::string> values = {"", "v", "\"q\"", "'q'", "\"", " x ", "a=b", "Ж ж", std::string(1030, 'L')};
    const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\r\n", "\x1A\r\n"};
    std::mt19937 random(7);
    auto pick = [&random](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    for (int report = 0; report < 3000; ++report) {
        std::string text;
        const int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) {
            text += random() % 4 == 0 ? pick(headers) : pick(keys) + pick(separators) + pick(values);
            text += pick(ends);
        }
        SCOPED_TRACE(text);
        expectSameReading(text);
        if (::testing::Test::HasFailure())
            break;
    }
}

}  // namespace
}  // namespace corvinax
