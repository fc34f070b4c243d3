#include "settings/filter_table.h"

#include <gtest/gtest.h>

#include <random>

namespace corvinax {
namespace {

struct ModeCase {
    const char* mode;
    int action;
};

class ModeToAction : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeToAction, IsTheFirstCaptionThatBeginsWithTheMode)
{
    FilterTable table;
    table.insertRow(0, FilterRow{"x", "", std::nullopt});
    table.setMode(0, GetParam().mode);
    EXPECT_EQ(table.rows()[0].action, GetParam().action) << GetParam().mode;
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeToAction,
                         ::testing::Values(ModeCase{"Игнорировать", 0}, ModeCase{"Отмечать (!)", 1},
                                           ModeCase{"Разворачивать", 2}, ModeCase{"Отм", 1}, ModeCase{"Р", 2},
                                           ModeCase{"", 0}, ModeCase{"отмечать", 0}, ModeCase{"Expand", 0},
                                           ModeCase{"Отмечать (!) и ещё", 0}),
                         [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(FilterMatch, FirstMatchingRowDecides)
{
    FilterTable table;
    table.appendRow("", 1);          // an empty pattern matches nothing
    table.appendRow("Printer", 1);
    table.appendRow("Modem", 2);
    table.appendRow("Print", 0);
    table.appendRow("06.12.2026", 0);
    table.insertRow(table.size(), FilterRow{"Disk", "", std::nullopt});  // no action chosen: ignore

    using Effect = FilterOutcome::Effect;
    EXPECT_EQ(table.match("06.12.2026 18:20:11=ADDED Printer").effect, Effect::MarkComputer);
    EXPECT_EQ(table.match("k=ADDED Modem and Printer").effect, Effect::MarkComputer);
    EXPECT_EQ(table.match("k=REMOVED Modem").effect, Effect::ExpandComputer);
    EXPECT_EQ(table.match("k=Print server").effect, Effect::Drop);
    EXPECT_EQ(table.match("06.12.2026 18:25:40=REMOVED Mouse").effect, Effect::Drop);
    EXPECT_EQ(table.match("k=Disk 0").effect, Effect::Drop);
    EXPECT_EQ(table.match("k=printer").effect, Effect::None);
    EXPECT_EQ(table.match("k=printer").lineState, -1);
    EXPECT_EQ(table.match("k=REMOVED Modem").lineState, 12);
    EXPECT_EQ(FilterTable().match("anything").effect, Effect::None);
}

TEST(FilterMatch, FollowsEveryChangeOfTheRowsAndCopiesStayApart)
{
    using Effect = FilterOutcome::Effect;
    FilterTable table;
    table.appendRow("abc", 0);
    EXPECT_EQ(table.match("k=xabc").effect, Effect::Drop);
    const FilterTable before = table;
    table.setText(0, "zzz");
    EXPECT_EQ(table.match("k=xabc").effect, Effect::None);
    EXPECT_EQ(before.match("k=xabc").effect, Effect::Drop);
    table.insertRow(0, FilterRow{"xa", "", 1});
    EXPECT_EQ(table.match("k=xabc").effect, Effect::MarkComputer);
    table.removeRow(0);
    EXPECT_EQ(table.match("k=xabc").effect, Effect::None);
    table.appendRow("k=", 2);
    EXPECT_EQ(table.match("k=xabc").effect, Effect::ExpandComputer);
    table.clear();
    EXPECT_EQ(table.match("k=xabc").effect, Effect::None);
}

TEST(FilterMatch, AnyOtherActionExpands)
{
    FilterTable table;
    table.insertRow(0, FilterRow{"x", "", 5});
    EXPECT_EQ(table.match("k=x").effect, FilterOutcome::Effect::ExpandComputer);
}

TEST(FilterMatch, FindsTheFirstRowWhoseTextOccursOnRandomLines)
{
    // Short patterns over a small alphabet, so that rows meet lines often, at any place, and in
    // every length from one character; high codes included.
    const std::string alphabet = "ab =\xC0\xE0\xFF";
    std::mt19937 random(11);
    auto text = [&](std::size_t length) {
        std::string out;
        for (std::size_t i = 0; i < length; ++i)
            out += alphabet[random() % alphabet.size()];
        return out;
    };
    for (int round = 0; round < 200; ++round) {
        FilterTable table;
        for (int row = 0; row < 8; ++row)
            table.appendRow(text(1 + random() % 4), static_cast<int>(random() % 3));
        for (int l = 0; l < 20; ++l) {
            const std::string line = text(random() % 24);
            FilterOutcome expected;
            for (const FilterRow& row : table.rows()) {
                if (line.find(row.text) != std::string::npos) {
                    const int action = row.action.value_or(0);
                    expected = {action == 0 ? FilterOutcome::Effect::Drop
                                : action == 1 ? FilterOutcome::Effect::MarkComputer
                                              : FilterOutcome::Effect::ExpandComputer,
                                12};
                    break;
                }
            }
            const FilterOutcome found = table.match(line);
            ASSERT_EQ(found.effect, expected.effect) << line;
            ASSERT_EQ(found.lineState, expected.lineState) << line;
        }
    }
}

}  // namespace
}  // namespace corvinax
