#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvinax {
namespace {

struct LineCase {
    std::vector<const char*> arguments;  // after the program's name
    bool warehouse;
    const char* settings;  // nullptr: none
    bool baseline;
    int silent;  // -1: none
    const char* json;
    bool failOnFindings;
    bool error;
};

class CommandLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLines, AreReadAsAnAdministratorWritesThem)
{
    const LineCase& c = GetParam();
    std::vector<const char*> argv{"corvinax"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(line.warehouse, c.warehouse);
    EXPECT_EQ(line.settingsFile.value_or("<none>"), c.settings ? c.settings : "<none>");
    EXPECT_EQ(line.baseline, c.baseline);
    EXPECT_EQ(line.silentDays.value_or(-1), c.silent);
    EXPECT_EQ(line.jsonFile.value_or("<none>"), c.json ? c.json : "<none>");
    EXPECT_EQ(line.failOnFindings, c.failOnFindings);
    EXPECT_EQ(!line.error.empty(), c.error) << line.error;
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLines,
    ::testing::Values(
        LineCase{{}, false, nullptr, false, -1, nullptr, false, false},
        LineCase{{"/s"}, true, nullptr, false, -1, nullptr, false, false},
        LineCase{{"MervoMode", "x"}, true, nullptr, false, -1, nullptr, false, false},
        LineCase{{"x", "/S"}, false, nullptr, false, -1, nullptr, false, false},
        LineCase{{"-reverse", "/S"}, false, nullptr, false, -1, nullptr, false, false},
        LineCase{{"--settings", "net.ini", "/S"}, true, "net.ini", false, -1, nullptr, false, false},
        LineCase{
            {"/S", "--json", "out.jsonl", "--fail-on-findings"}, true, nullptr, false, -1, "out.jsonl", true, false},
        LineCase{{"--settings", "n.ini", "--baseline"}, false, "n.ini", true, -1, nullptr, false, false},
        LineCase{{"--silent", "30"}, false, nullptr, false, 30, nullptr, false, false},
        LineCase{{"--silent", "thirty"}, false, nullptr, false, -1, nullptr, false, true},
        LineCase{{"--settings"}, false, nullptr, false, -1, nullptr, false, true},
        LineCase{{"--baseline", "--silent", "5"}, false, nullptr, true, 5, nullptr, false, true},
        // A typo in a script: never the window, which would wait for nobody.
        LineCase{{"/S", "--fail-on-finding"}, false, nullptr, false, -1, nullptr, false, true},
        LineCase{{"--setings", "a.ini", "/S"}, false, nullptr, false, -1, nullptr, false, true},
        LineCase{{"/S", "--help"}, false, nullptr, false, -1, nullptr, false, true},
        // Qt's own options stay the window's.
        LineCase{{"-platform", "offscreen", "-style", "fusion"}, false, nullptr, false, -1, nullptr, false, false}));

}  // namespace
}  // namespace corvinax
