#include "app/command_line.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "profile/profile_file.h"
#include "settings/settings.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace corvinax {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const DefaultPaths kDefaults = DefaultPaths::forThisMachine("/opt/tools", "/home/admin");

class SettingsFile : public ::testing::Test {
protected:
    std::string path() const { return m_dir.file("corvinax.ini"); }

    Settings load(const std::string& text, bool warehouseFromCommandLine = false)
    {
        writeFile(path(), text);
        return loadFresh(warehouseFromCommandLine);
    }

    Settings loadFresh(bool warehouseFromCommandLine = false)
    {
        Settings settings;
        settings.warehouseMode = warehouseFromCommandLine;
        ProfileFile file(path());
        loadSettings(file, settings, kDefaults);
        return settings;
    }

    void save(const Settings& settings)
    {
        ProfileFile file(path());
        saveSettings(file, settings, m_clock);
    }

    TempDir m_dir;
    test::FakeClock m_clock;
};

TEST_F(SettingsFile, FirstStartTakesEveryDefault)
{
    const Settings s = loadFresh();
    EXPECT_FALSE(s.warehouseMode);
    EXPECT_FALSE(s.closeIfAllOk);
    EXPECT_TRUE(s.noSignatureCheck);
    EXPECT_TRUE(s.deleteOldCopy);
    EXPECT_EQ(s.workDrive, 5);
    EXPECT_EQ(s.workDriveName(), "F:");
    EXPECT_EQ(s.deleteOldValue, 77);
    EXPECT_EQ(s.workDir, "/home/admin/.cache/corvinax/work");
    EXPECT_EQ(s.logFileName, "/home/admin/corvinax.log");
    EXPECT_EQ(s.smartFile, "/opt/tools/BASE/Smart");
    EXPECT_EQ(s.deleteOldCopyPath, "/home/admin/.local/share/corvinax/removed");
    EXPECT_EQ(s.logFileSizeMB, 10);
    EXPECT_EQ(s.maxLines, 0);
    EXPECT_EQ(s.maxDate, 0);
    EXPECT_EQ(s.warehouseTable, "base/other.dbf");
    EXPECT_TRUE(s.checkDirs.empty());
    EXPECT_TRUE(s.filters.empty());
    EXPECT_FALSE(test::fileExists(path()));
}

constexpr const char* kWorkedExampleConfig =
    "[Config]\r\nCloseIfAllOk=0\r\nExpandTree=0\r\nLowPriority=0\r\nUseWorkDir=0\r\nNoSignatureCheck=1\r\n"
    "WorkDir=/home/admin/.cache/corvinax/work\r\nLOG_FileName=/home/admin/corvinax.log\r\nSmart_File=/opt/tools/BASE/Smart\r\n"
    "DeleteOld=0\r\nDeleteOldValue=77\r\nDeleteOldSilence=0\r\nDeleteOldCopy=1\r\nDeleteOldCopyPath=/home/admin/.local/share/corvinax/removed\r\n"
    "MapWorkDrive=0\r\nWorkDrive=5\r\nLogin=\r\nPassword=\r\nAutoRun=0\r\nLogFileSizeMB=10\r\n";

TEST_F(SettingsFile, WorkedExampleComesOutByteForByte)
{
    Settings s = loadFresh();
    s.checkDirs.push_back({"\\\\SERVER\\cfg"});
    save(s);
    EXPECT_EQ(readFile(path()),
              std::string(kWorkedExampleConfig) + "[CheckDirs]\r\nPath_0=\\\\SERVER\\cfg\r\nCount_0=0\r\n");
}

TEST_F(SettingsFile, WarehouseSaveAddsTheTimeOfTheSave)
{
    Settings s = loadFresh(true);
    s.checkDirs.push_back({"\\\\SERVER\\cfg"});
    save(s);
    EXPECT_EQ(readFile(path()), std::string(kWorkedExampleConfig) +
                                    "LastRunInMervoMode=07.12.2026 09:00:05\r\n"
                                    "[CheckDirs]\r\nPath_0=\\\\SERVER\\cfg\r\nCount_0=0\r\n");
}

TEST_F(SettingsFile, OrdinarySaveKeepsAnOldLastRunValue)
{
    Settings s = load("[Config]\r\nLastRunInMervoMode=01.01.2026 10:00:00\r\n");
    save(s);
    EXPECT_NE(readFile(path()).find("LastRunInMervoMode=01.01.2026 10:00:00\r\n"), std::string::npos);
}

struct CloseIfAllOkCase {
    const char* value;
    bool ticked;
    bool warehouse;
};

class CloseIfAllOk : public SettingsFile, public ::testing::WithParamInterface<CloseIfAllOkCase> {};

TEST_P(CloseIfAllOk, TicksTheBoxAndMayTurnWarehouseModeOn)
{
    Settings s = load(std::string("[Config]\r\nCloseIfAllOk=") + GetParam().value + "\r\n");
    EXPECT_EQ(s.closeIfAllOk, GetParam().ticked);
    EXPECT_EQ(s.warehouseMode, GetParam().warehouse);
    EXPECT_EQ(s.maxLines, GetParam().warehouse ? 16 : 0);
    EXPECT_EQ(s.maxDate, GetParam().warehouse ? 100 : 0);
    EXPECT_EQ(s.warehouseTable, GetParam().warehouse ? "" : "base/other.dbf");
    save(s);
    EXPECT_NE(readFile(path()).find(std::string("CloseIfAllOk=") + (GetParam().ticked ? "1" : "0") + "\r\n"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Values, CloseIfAllOk,
                         ::testing::Values(CloseIfAllOkCase{"0", false, false}, CloseIfAllOkCase{"1", true, false},
                                           CloseIfAllOkCase{"2", true, true}, CloseIfAllOkCase{"0x2", true, true},
                                           CloseIfAllOkCase{"-1", false, false},
                                           CloseIfAllOkCase{"yes", false, false}),
                         [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST_F(SettingsFile, WarehouseKeysAreReadOnlyInWarehouseMode)
{
    const std::string text = "[Config]\r\nWorkTable=/srv/base/other.dbf\r\nMaxLines=4\r\nMaxDate=30\r\n";
    const Settings warehouse = load(text, true);
    EXPECT_EQ(warehouse.warehouseTable, "/srv/base/other.dbf");
    EXPECT_EQ(warehouse.maxLines, 4);
    EXPECT_EQ(warehouse.maxDate, 30);
    const Settings ordinary = load(text, false);
    EXPECT_EQ(ordinary.warehouseTable, "base/other.dbf");
    EXPECT_EQ(ordinary.maxLines, 0);
}

TEST_F(SettingsFile, ValuesOutsideTheControlsLimitsAreBroughtIn)
{
    Settings s = load("[Config]\r\nWorkDrive=30\r\nDeleteOldValue=5\r\n");
    EXPECT_EQ(s.workDrive, -1);
    EXPECT_EQ(s.workDriveName(), "");
    EXPECT_EQ(s.deleteOldValue, 10);
    save(s);
    const std::string saved = readFile(path());
    EXPECT_NE(saved.find("WorkDrive=-1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("DeleteOldValue=10\r\n"), std::string::npos);
    EXPECT_EQ(load("[Config]\r\nDeleteOldValue=12345\r\n").deleteOldValue, 9999);
}

TEST_F(SettingsFile, DirectoryListEndsAtTheFirstMissingPath)
{
    Settings s = load("[CheckDirs]\r\nPath_0=/data/a\r\nCount_0=12\r\nPath_1=/data/b\r\nPath_3=/data/d\r\nCount_3=4\r\n");
    ASSERT_EQ(s.checkDirs.size(), 2u);
    EXPECT_EQ(s.checkDirs[0].expectedCount, "12");
    EXPECT_EQ(s.checkDirs[1].path, "/data/b");
    EXPECT_EQ(s.checkDirs[1].expectedCount, "0");
    save(s);
    EXPECT_EQ(loadFresh().checkDirs.size(), 2u);
    EXPECT_EQ(readFile(path()).find("Path_3"), std::string::npos);
}

TEST_F(SettingsFile, AnEmptyDirectoryEndsTheListAtTheNextStart)
{
    Settings s = loadFresh();
    s.checkDirs = {{"/data/a"}, {""}, {"/data/c"}};
    save(s);
    EXPECT_EQ(loadFresh().checkDirs.size(), 1u);
}

TEST_F(SettingsFile, AtMost256FilterRowsAreLoadedAndSaved)
{
    std::string text = "[Strings]\r\n";
    for (int n = 0; n < 300; ++n)
        text += "Text" + std::to_string(n) + "=pattern " + std::to_string(n) + "\r\nMode" + std::to_string(n) + "=1\r\n";
    Settings s = load(text);
    ASSERT_EQ(s.filters.size(), 256u);
    EXPECT_EQ(s.filters.rows()[255].text, "pattern 255");
    save(s);
    const std::string saved = readFile(path());
    EXPECT_NE(saved.find("Text255=pattern 255\r\nMode255=1\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("Text256"), std::string::npos);
}

TEST_F(SettingsFile, AnUnknownActionLoadsAsTheFirstAndTheLoadingGoesOn)
{
    Settings s = load("[Strings]\r\nText0=Printer\r\nMode0=7\r\nText1=Modem\r\nMode1=2\r\n"
                      "[CheckDirs]\r\nPath_0=/data/a\r\n");
    ASSERT_EQ(s.filters.size(), 2u);
    EXPECT_EQ(s.filters.rows()[0].action, 0);
    EXPECT_EQ(s.filters.rows()[0].mode, "Игнорировать");
    EXPECT_EQ(s.filters.rows()[1].action, 2);
    EXPECT_EQ(s.filters.rows()[1].mode, "Разворачивать");
    EXPECT_EQ(s.checkDirs.size(), 1u);
}

TEST_F(SettingsFile, FilterRowsRoundTripWithoutTheirTextLimitAndWithoutAnAction)
{
    Settings s = load("[Strings]\r\nText0=" + std::string(150, 'x') + "\r\nMode0=1\r\n");
    EXPECT_EQ(s.filters.rows()[0].text, std::string(100, 'x'));
    s.filters.insertRow(1, FilterRow{"Modem", "", std::nullopt});
    save(s);
    const std::string saved = readFile(path());
    EXPECT_NE(saved.find("[Strings]\r\nText0=" + std::string(100, 'x') + "\r\nMode0=1\r\nText1=Modem\r\nMode1=0\r\n"),
              std::string::npos);
}

TEST_F(SettingsFile, EverySettingSurvivesASaveAndALoad)
{
    Settings s = loadFresh();
    s.closeIfAllOk = s.expandTree = s.lowPriority = s.useWorkDir = s.mapWorkDrive = true;
    s.noSignatureCheck = s.deleteOldCopy = false;
    s.deleteOld = s.deleteOldSilence = s.autoRun = true;
    s.workDrive = 25;
    s.login = "администратор";
    s.password = "p@ss word";
    s.workDir = "/var/tmp/work";
    s.logFileName = "\"/home/admin/my logs/check.log\"";
    s.smartFile = "/etc/corvinax/Smart";
    s.deleteOldValue = 400;
    s.deleteOldCopyPath = "/srv/old";
    s.checkDirs = {{"/data/отдел", "17"}, {"\\\\SRV\\cfg", "3"}};
    s.filters.appendRow("Принтер", 1);
    save(s);

    const Settings r = loadFresh();
    EXPECT_TRUE(r.closeIfAllOk && r.expandTree && r.lowPriority && r.useWorkDir && r.mapWorkDrive);
    EXPECT_FALSE(r.noSignatureCheck || r.deleteOldCopy);
    EXPECT_TRUE(r.deleteOld && r.deleteOldSilence && r.autoRun);
    EXPECT_EQ(r.workDrive, 25);
    EXPECT_EQ(r.login, s.login);
    EXPECT_EQ(r.password, s.password);
    EXPECT_EQ(r.workDir, s.workDir);
    EXPECT_EQ(r.logFileName, s.logFileName.substr(1, s.logFileName.size() - 2));  // one quote pair read off
    EXPECT_EQ(r.smartFile, s.smartFile);
    EXPECT_EQ(r.deleteOldValue, 400);
    EXPECT_EQ(r.deleteOldCopyPath, s.deleteOldCopyPath);
    ASSERT_EQ(r.checkDirs.size(), 2u);
    EXPECT_EQ(r.checkDirs[0].path, "/data/отдел");
    EXPECT_EQ(r.checkDirs[1].expectedCount, "3");
    ASSERT_EQ(r.filters.size(), 1u);
    EXPECT_EQ(r.filters.rows()[0].text, "Принтер");
    EXPECT_EQ(r.filters.rows()[0].action, 1);
}

TEST_F(SettingsFile, SaveKeepsStateSectionsAndOtherLines)
{
    Settings s = load("; kept\r\n[Config]\r\nAutoRun=1\r\n[CheckDirs]\r\nPath_0=/data/a\r\n[/data/a]\r\nPC-07.ini=06.12.2026 18:25:40\r\n");
    save(s);
    const std::string saved = readFile(path());
    EXPECT_EQ(saved.rfind("; kept\r\n[Config]\r\nAutoRun=1\r\n", 0), 0u);
    EXPECT_NE(saved.find("[/data/a]\r\nPC-07.ini=06.12.2026 18:25:40\r\n[CheckDirs]\r\nPath_0=/data/a\r\nCount_0=0\r\n"),
              std::string::npos);
}

TEST_F(SettingsFile, ARefusedSaveChangesNothing)
{
    const std::string before = "[Config]\r\nAutoRun=1\r\n[CheckDirs]\r\nPath_0=/data/a\r\n";
    Settings s = load(before);
    s.checkDirs.clear();
    ::chmod(path().c_str(), 0444);
    try {
        save(s);
        FAIL() << "the save should have failed";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path());
    }
    EXPECT_EQ(readFile(path()), before);
}

struct CommandLineCase {
    std::vector<const char*> arguments;
    bool warehouse;
};

class CommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLine, FirstArgumentSelectsWarehouseMode)
{
    std::vector<const char*> argv{"corvinax"};
    argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    EXPECT_EQ(selectsWarehouseMode(static_cast<int>(argv.size()), argv.data()), GetParam().warehouse);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    ::testing::Values(CommandLineCase{{}, false}, CommandLineCase{{"MERVOMODE"}, true},
                      CommandLineCase{{"mervomode"}, true}, CommandLineCase{{"MervoMode", "x"}, true},
                      CommandLineCase{{"/S"}, true}, CommandLineCase{{"/s"}, true},
                      CommandLineCase{{"MERVOMODE2"}, false}, CommandLineCase{{"-S"}, false},
                      CommandLineCase{{"x", "/S"}, false}, CommandLineCase{{" /S"}, false}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

}  // namespace
}  // namespace corvinax
