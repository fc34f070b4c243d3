#include "check_run_fixture.h"
#include "output/warehouse_export.h"
#include "platform/error.h"
#include "support/dbf_files.h"


namespace corvinax {
namespace {

using test::DbfRow;
using test::readFile;
using test::TempDir;

constexpr const char* kMac = "00-0C-29-3A-5B-7C";

class Export : public ::testing::Test {
protected:
    Export()
    {
        settings.warehouseMode = true;
        settings.warehouseTable = dir.file("other.dbf");
        settings.maxLines = 16;
        settings.maxDate = 100;
        settings.logFileName = dir.file("corvinax.log");
        clock.set({2026, 12, 7, 9, 0, 10});
    }

    ResultNode& computer(const std::string& mac, const std::string& text = "Компьютер :PC-07, Пользователь :ivanov")
    {
        if (!directory)
            directory = &tree.addTopLevel("/data/cfg");
        ResultNode& node = tree.addChild(*directory, text);
        SetAdditional(node, kMacAddr, mac);
        return node;
    }

    void line(ResultNode& parent, const std::string& text, const std::string& mark = "")
    {
        ResultNode& node = tree.addChild(parent, text);
        if (!mark.empty())
            SetAdditional(node, kMark, mark);
    }

    bool exportNow() { return exportResult() == ExportResult::Written; }
    ExportResult exportResult()
    {
        return WarehouseExport(settings, tree, view, clock, {"Caption", "/exe"}).WriteMervoDBF();
    }

    std::vector<std::string> progressLines() const
    {
        std::vector<std::string> lines;
        const std::string log = readFile(settings.logFileName);
        std::size_t start = log.find("\r\n\r\n") + 4;  // after the header
        for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos && end != start; start = end + 2)
            lines.push_back(log.substr(start, end - start));
        return lines;
    }

    TempDir dir;
    Settings settings;
    ResultTree tree;
    ResultNode* directory = nullptr;
    test::FakeRunView view;
    test::FakeClock clock;
};

TEST_F(Export, WorkedExample)
{
    test::createWarehouseTable(settings.warehouseTable, {{kMac, "05.12.2026 09:10:00", "CORVINAX", "ADDED Modem"},
                                                         {"00-0C-29-11-22-33", "15.06.2026 12:00:00", "CORVINAX",
                                                          "REMOVED Printer"},
                                                         {"0001", "any", "STOCK", "any"}});
    ResultNode& pc = computer(kMac);
    line(pc, "06.12.2026 18:20:11=ADDED Printer", ">>>");
    line(pc, "06.12.2026 18:25:40=REMOVED Modem");
    view.onPump = [this] { clock.set({2026, 12, 7, 9, 0, 11}); };

    EXPECT_TRUE(exportNow());

    const test::DbfContents table = test::readWithDbfread(settings.warehouseTable);
    EXPECT_EQ(table.rows, (std::vector<std::string>{
                              "0001|any|STOCK|any",
                              std::string(kMac) + "|05.12.2026 09:10:00|CORVINAX|ADDED Modem",
                              std::string(kMac) + "|06.12.2026 18:20:11|CORVINAX|>>> ADDED Printer",
                              std::string(kMac) + "|06.12.2026 18:25:40|CORVINAX|REMOVED Modem",
                          }));
    EXPECT_TRUE(table.deleted.empty());  // the new table holds live rows only
    EXPECT_EQ(progressLines(), (std::vector<std::string>{
                                   "07.12.2026 09:00:10 начало записи в базы Mervo.exe",
                                   "- Считано из " + settings.warehouseTable + " строк : 2",
                                   "- После чистки (от 2026.08.29) осталось строк : 1",
                                   "- Записано в " + settings.warehouseTable + " строк : 3",
                                   "07.12.2026 09:00:11 работа закончена",
                               }));
    EXPECT_EQ(view.titles, (std::vector<std::string>{"Read..", "Scan..", "Sort..", "Write.."}));
}

TEST_F(Export, KeepsEveryHeaderByteButTheCountAndTheDate)
{
    test::createWarehouseTable(settings.warehouseTable, {{kMac, "05.12.2026 09:10:00", "CORVINAX", "ADDED Modem"}});
    std::string before = readFile(settings.warehouseTable);
    before[29] = '\x65';  // a code page mark that no one but its writer knows
    test::writeFile(settings.warehouseTable, before);
    line(computer(kMac), "06.12.2026 18:20:11=ADDED Printer");

    ASSERT_TRUE(exportNow());

    const std::string after = readFile(settings.warehouseTable);
    const std::size_t headerSize = static_cast<unsigned char>(before[8]) | static_cast<unsigned char>(before[9]) << 8;
    ASSERT_GE(after.size(), headerSize);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after.substr(1, 3), std::string("\x7E\x0C\x07"));  // 2026-12-07
    EXPECT_EQ(after.substr(4, 4), std::string("\x02\x00\x00\x00", 4));
    EXPECT_EQ(after.substr(8, headerSize - 8), before.substr(8, headerSize - 8));
}

TEST_F(Export, RowsOfOtherWritersAreNeverTouched)
{
    test::createWarehouseTable(settings.warehouseTable, {{"1", "01.12.2026 10:00:00", "corvinax", "lower case"},
                                                         {"2", "01.01.2000 10:00:00", "STOCK", "old"}});
    ASSERT_TRUE(exportNow());
    const auto table = test::readWithDbfread(settings.warehouseTable);
    EXPECT_EQ(table.rows, (std::vector<std::string>{"1|01.12.2026 10:00:00|corvinax|lower case",
                                                    "2|01.01.2000 10:00:00|STOCK|old"}));
    EXPECT_TRUE(table.deleted.empty());
    EXPECT_EQ(progressLines()[1], "- Считано из " + settings.warehouseTable + " строк : 0");
}

class MaxLines : public Export, public ::testing::WithParamInterface<int> {};

TEST_P(MaxLines, LimitTheRowsOfOneComputer)
{
    settings.maxLines = GetParam();
    test::createWarehouseTable(settings.warehouseTable, {});
    ResultNode& pc = computer(kMac);
    for (int i = 0; i < 20; ++i)
        line(pc, "07.12.2026 08:00:" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=ADDED item");
    ASSERT_TRUE(exportNow());
    const auto table = test::readWithDbfread(settings.warehouseTable);
    ASSERT_EQ(table.rows.size(), GetParam() == 0 ? 20u : 16u);
    EXPECT_EQ(table.rows.back(), std::string(kMac) + "|07.12.2026 08:00:" + (GetParam() == 0 ? "19" : "15") +
                                     "|CORVINAX|ADDED item");
    EXPECT_EQ(progressLines()[3], "- Записано в " + settings.warehouseTable + " строк : 20");
}

INSTANTIATE_TEST_SUITE_P(Limits, MaxLines, ::testing::Values(16, 0));

TEST_F(Export, ComputersWithoutAMacAddressAreNeverLimited)
{
    settings.maxLines = 1;
    test::createWarehouseTable(settings.warehouseTable, {});
    ResultNode& pc = computer("");
    for (const char* text : {"07.12.2026 08:00:00=a", "07.12.2026 08:00:01=b", "07.12.2026 08:00:02=c"})
        line(pc, text);
    ASSERT_TRUE(exportNow());
    EXPECT_EQ(test::readWithDbfread(settings.warehouseTable).rows,
              (std::vector<std::string>{"|07.12.2026 08:00:00|CORVINAX|a", "|07.12.2026 08:00:01|CORVINAX|b",
                                        "|07.12.2026 08:00:02|CORVINAX|c"}));
}

TEST_F(Export, ChangedMacAddressesGiveAlarmRows)
{
    test::createWarehouseTable(settings.warehouseTable, {});
    ResultNode& pc = computer(kMac, "Компьютер :PC-07");
    line(pc, "06.12.2026 18:20:11=MAC_Addr has changed from 00-0C-29-00-00-01");
    ASSERT_TRUE(exportNow());
    EXPECT_EQ(test::readWithDbfread(settings.warehouseTable).rows,
              (std::vector<std::string>{
                  "_CVX_ALARM_|06.12.2026 18:20:11|CORVINAX|MAC_Addr has changed from 00-0C-29-00-00-01 "
                  "\xCA\xEE\xEC\xEF\xFC\xFE\xF2\xE5\xF0 :PC-07",
                  std::string(kMac) + "|06.12.2026 18:20:11|CORVINAX|MAC_Addr has changed from 00-0C-29-00-00-01",
              }));
    EXPECT_EQ(progressLines()[4], "- Записано критических предупреждений : 1");
}

TEST_F(Export, AnEntryBroughtAgainIsWrittenOnce)
{
    test::createWarehouseTable(settings.warehouseTable, {{kMac, "06.12.2026 18:20:11", "CORVINAX", "ADDED Printer"}});
    line(computer(kMac), "06.12.2026 18:20:11=ADDED Printer");
    ASSERT_TRUE(exportNow());
    EXPECT_EQ(test::readWithDbfread(settings.warehouseTable).rows,
              std::vector<std::string>{std::string(kMac) + "|06.12.2026 18:20:11|CORVINAX|ADDED Printer"});
    EXPECT_EQ(progressLines()[3], "- Записано в " + settings.warehouseTable + " строк : 1");
}

// The TEXT field cuts a marked line of 150 characters; a rerun the same day knows the row again.
TEST_F(Export, ARowCutByItsFieldIsWrittenOnceOnARerun)
{
    test::createWarehouseTable(settings.warehouseTable, {});
    line(computer(kMac), "06.12.2026 18:20:11=" + std::string(160, 'x'), ">>>");
    ASSERT_TRUE(exportNow());
    ASSERT_TRUE(exportNow());
    const std::vector<std::string> rows = test::readWithDbfread(settings.warehouseTable).rows;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], std::string(kMac) + "|06.12.2026 18:20:11|CORVINAX|>>> " + std::string(146, 'x'));
}

TEST_F(Export, AMissingTableIsReportedAndLogged)
{
    settings.warehouseTable = dir.file("base/other.dbf");
    EXPECT_FALSE(exportNow());
    EXPECT_EQ(view.messages, std::vector<std::string>{"- Файл не найден :" + settings.warehouseTable});
    EXPECT_EQ(progressLines(), (std::vector<std::string>{
                                   "07.12.2026 09:00:10 начало записи в базы Mervo.exe",
                                   "- Файл не найден :" + settings.warehouseTable,
                                   "07.12.2026 09:00:10 работа закончена",
                               }));
}


struct DateCase {
    const char* entry;
    bool kept;
};

class DateFilter : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateFilter, KeepsEntriesFromTheLimitDayOn)
{
    EXPECT_EQ(passesDateFilter(GetParam().entry, "2026.08.29", "26.08.29"), GetParam().kept) << GetParam().entry;
}

INSTANTIATE_TEST_SUITE_P(Entries, DateFilter,
                         ::testing::Values(DateCase{"MAC 29.08.2026 10:00:00=x", true},
                                           DateCase{"MAC 28.08.2026 23:59:59=x", false},
                                           DateCase{"MAC 05.12.2026 09:10:00=x", true},
                                           DateCase{"MAC 29.08.26 10:00:00=x", true},
                                           DateCase{"MAC 28.08.26 10:00:00=x", false},
                                           DateCase{"MAC 2026-12-05 10:00=x", false},
                                           DateCase{"MAC 5.12.2026 10:00=x", false},
                                           DateCase{"MAC 05.12.2026=x", false},
                                           DateCase{" 05.12.2026 10:00=x", true}),
                         [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(Collation, IgnoresLetterCaseAndPutsCyrillicAfterLatin)
{
    EXPECT_TRUE(collatesBefore("abc", "ABD"));
    EXPECT_TRUE(collatesBefore("ABC", "abd"));
    EXPECT_TRUE(collatesBefore("zzz", "ааа"));
    EXPECT_TRUE(collatesBefore("еж", "ёж"));
    EXPECT_TRUE(collatesBefore("ёж", "жж"));
    EXPECT_TRUE(collatesBefore("Ябл", "яблоко"));
    EXPECT_FALSE(collatesBefore("b", "A"));
}

}  // namespace
}  // namespace corvinax
