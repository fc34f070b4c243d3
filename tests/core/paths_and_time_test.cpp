#include "platform/clock.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace corvinax {
namespace {

struct JoinCase {
    const char* directory;
    const char* name;
    const char* joined;
};

class JoinPath : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinPath, UsesTheSeparatorOfTheDirectory)
{
    EXPECT_EQ(joinPath(GetParam().directory, GetParam().name), GetParam().joined);
}

INSTANTIATE_TEST_SUITE_P(Paths, JoinPath,
                         ::testing::Values(JoinCase{"/data/cfg", "PC-07.ini", "/data/cfg/PC-07.ini"},
                                           JoinCase{"/data/cfg/", "PC-07.ini", "/data/cfg/PC-07.ini"},
                                           JoinCase{"/", "x", "/x"},
                                           JoinCase{"\\\\SERVER\\cfg", "PC-07.ini", "\\\\SERVER\\cfg\\PC-07.ini"},
                                           JoinCase{"\\\\SERVER\\cfg\\", "PC-07.ini", "\\\\SERVER\\cfg\\PC-07.ini"},
                                           JoinCase{"", "x", "/x"}),
                         [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(SettingsLocation, BesideAPortableCopyInTheConfigurationFolderWhenInstalled)
{
    test::TempDir dir;
    const std::string bin = dir.file("usr/bin");
    std::filesystem::create_directories(bin);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsFilePath(bin, "/home/admin"), bin + "/corvinax.ini");
    EXPECT_EQ(DefaultPaths::forThisMachine(bin, "/home/admin").smartFile, bin + "/BASE/Smart");
    // Working copies and removed reports in folders of the user's own, never in a shared one.
    EXPECT_EQ(DefaultPaths::forThisMachine(bin, "/home/admin").workDir, "/home/admin/.cache/corvinax/work");
    EXPECT_EQ(DefaultPaths::forThisMachine(bin, "/home/admin", "/run/user/1000").workDir, "/run/user/1000/corvinax");
    EXPECT_EQ(DefaultPaths::forThisMachine(bin, "/home/admin").deleteOldCopyPath,
              "/home/admin/.local/share/corvinax/removed");

    std::filesystem::create_directories(dir.file("usr/share/corvinax/BASE"));
    test::writeFile(dir.file("usr/share/corvinax/BASE/Smart"), "[Main]\r\n");
    EXPECT_EQ(settingsFilePath(bin, "/home/admin"), "/home/admin/.config/corvinax/corvinax.ini");
    EXPECT_EQ(DefaultPaths::forThisMachine(bin, "/home/admin").smartFile, dir.file("usr/share/corvinax/BASE/Smart"));
    ::setenv("XDG_CONFIG_HOME", "/home/admin/conf", 1);
    EXPECT_EQ(settingsFilePath(bin, "/home/admin"), "/home/admin/conf/corvinax/corvinax.ini");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(DateTimeText, IsDayMonthYearAndTwentyFourHourTimeWithLeadingZeros)
{
    EXPECT_EQ(formatDateTime({2026, 12, 7, 9, 0, 5}), "07.12.2026 09:00:05");
    EXPECT_EQ(formatDateTime({2005, 3, 3, 23, 59, 59}), "03.03.2005 23:59:59");
    EXPECT_EQ(formatDateTime({999, 1, 1, 0, 0, 0}), "01.01.0999 00:00:00");
}

TEST(DateTimeText, SystemClockGivesAPlausibleLocalTime)
{
    const LocalDateTime now = SystemClock().now();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_EQ(formatDateTime(now).size(), 19u);
}

}  // namespace
}  // namespace corvinax
