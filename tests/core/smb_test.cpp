// UNC check directories against a real Samba server, started for these tests on the loopback
// interface with shares in a temporary directory.

#include "check_run_fixture.h"
#include "output/result_actions.h"
#include "platform/smb_files.h"
#include "profile/profile_file.h"
#include "support/dbf_files.h"
#include "support/samba_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax {
namespace {

using test::CheckRun;
using test::readFile;
using test::report;
using test::TempDir;
using test::kSambaPassword;
using test::kSambaPort;
using test::SambaServer;
using test::writeFile;

class Smb : public CheckRun {
protected:
    void SetUp() override
    {
        if (!SambaServer::instance().running())
            GTEST_SKIP() << SambaServer::instance().why();
        folder = "dept" + std::to_string(counter++);
        local = SambaServer::instance().share("cfg") + "/" + folder;
        std::filesystem::create_directories(local);
        unc = "\\\\127.0.0.1\\cfg\\" + folder;
        network.setReaderProgram(CORVINAX_SHARE_READER);
        setRemoteFiles(&network);
    }
    void TearDown() override { setRemoteFiles(nullptr); }

    SmbFiles network{[this] { return SmbCredentials{settings.login, settings.password}; }, 5000, kSambaPort};
    // A run whose mapping step connects through the SMB client.
    CheckRunner smbRunner{settings, settingsPath, tree, smart, view, clock, network, logHeader};
    std::string folder;
    std::string local;
    std::string unc;
    static inline int counter = 0;
};

TEST_F(Smb, AUncDirectoryIsCheckedWithItsStateUnderTheListedPath)
{
    writeFile(local + "/PC-07.ini", report("PC-07", {"07.12.2026 08:00:00=ADDED Modem"}));
    writeFile(local + "/.hidden.ini", report("DOT", {"07.12.2026 08:00:00=ADDED Modem"}));
    writeFile(local + "/SECRET.hid", report("HIDDEN", {"07.12.2026 08:00:00=ADDED Modem"}));
    std::filesystem::create_directory(local + "/sub.ini");
    settings.checkDirs.push_back({unc, "0"});

    smbRunner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("Компьютер :PC-07,"), 1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :DOT,"), 0);
    EXPECT_EQ(countNodesStartingWith("Компьютер :HIDDEN,"), 0);
    EXPECT_EQ(countNodesStartingWith("Окончание проверки 07.12.2026 09:00:05, проверено 1 конф."), 1);
    EXPECT_EQ(tree.topLevel()[1]->children()[0]->data->reportPath, unc + "\\PC-07.ini");
    EXPECT_EQ(stored(unc, "PC-07.ini"), "07.12.2026 08:00:00");

    smbRunner.StartCheck();  // unchanged: quiet now
    EXPECT_EQ(countNodesStartingWith("Компьютер :PC-07,"), 1);
}

TEST_F(Smb, MappingConnectsOrSaysItCannotAndTheEndOfTheRunDisconnects)
{
    writeFile(local + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    settings.mapWorkDrive = true;
    settings.checkDirs.push_back({unc, "1"});
    settings.checkDirs.push_back({"\\\\127.0.0.2\\cfg", "0"});
    smbRunner.StartCheck();
    EXPECT_EQ(view.messages, (std::vector<std::string>{"Не могу назначить F:=\\\\127.0.0.2\\cfg",
                                                       "Неверный каталог \\\\127.0.0.2\\cfg"}));
    EXPECT_EQ(countNodesStartingWith("Компьютер :PC,"), 1);
}

TEST_F(Smb, OldReportsAreCopiedAsideAndRemovedOnTheServer)
{
    writeFile(local + "/OLD.ini", report("OLD", {"01.01.2026 08:00:00=REMOVED Modem"}));
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (local + "/OLD.ini").c_str(), old, 0);
    writeFile(local + "/NEW.ini", report("NEW", {"07.12.2026 08:00:00=ADDED Modem"}));
    settings.checkDirs.push_back({unc, "2"});
    settings.deleteOld = true;
    settings.deleteOldSilence = true;
    settings.deleteOldCopy = true;
    settings.deleteOldCopyPath = dir.file("aside");
    std::filesystem::create_directory(settings.deleteOldCopyPath);
    settings.useWorkDir = true;
    settings.workDir = dir.file("work");
    std::filesystem::create_directory(settings.workDir);

    smbRunner.StartCheck();

    EXPECT_FALSE(test::fileExists(local + "/OLD.ini"));
    EXPECT_EQ(readFile(settings.deleteOldCopyPath + "/OLD.ini"),
              report("OLD", {"01.01.2026 08:00:00=REMOVED Modem"}));
    EXPECT_EQ(countNodesStartingWith("Удален файл " + unc + "\\OLD.ini"), 1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :NEW,"), 1);  // read from its working copy
    EXPECT_TRUE(std::filesystem::is_empty(settings.workDir));
}

// Names that code page 1251 cannot hold reach their own file on the server, never a look-alike.
TEST_F(Smb, ReportsAreReachedByTheNamesTheServerListed)
{
    const std::string old = report("OLD", {"01.01.2026 08:00:00=REMOVED Modem"});
    writeFile(local + "/caf\xC3\xA9.ini", old);  // café.ini
    const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (local + "/caf\xC3\xA9.ini").c_str(), longAgo, 0);
    writeFile(local + "/\xE6\x97\xA5\xE6\x9C\xAC.ini", report("JAPAN", {"07.12.2026 08:00:00=ADDED Modem"}));
    settings.checkDirs.push_back({unc, "2"});
    settings.deleteOld = true;
    settings.deleteOldSilence = true;
    settings.deleteOldCopy = true;
    settings.deleteOldCopyPath = dir.file("aside");
    std::filesystem::create_directory(settings.deleteOldCopyPath);

    smbRunner.StartCheck();

    EXPECT_FALSE(test::fileExists(local + "/caf\xC3\xA9.ini"));
    EXPECT_EQ(readFile(settings.deleteOldCopyPath + "/caf\xC3\xA9.ini"), old);
    EXPECT_EQ(countNodesStartingWith("Удален файл " + unc + "\\caf?.ini"), 1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :JAPAN,"), 1);
}

// The warehouse table and the check log may lie on a share: the table is replaced there as a
// whole, the log is appended to.
TEST_F(Smb, TheWarehouseTableAndTheLogOnAShare)
{
    writeFile(local + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    test::createWarehouseTable(local + "/other.dbf", {{"1", "01.01.2000 10:00:00", "STOCK", "kept"}});
    settings.checkDirs.push_back({unc, "1"});
    settings.warehouseMode = true;
    settings.warehouseTable = unc + "\\other.dbf";
    settings.logFileName = unc + "\\check.log";

    smbRunner.StartCheck();

    EXPECT_EQ(smbRunner.lastOutcome().exported, ExportResult::Written);
    EXPECT_EQ(test::readWithDbfread(local + "/other.dbf").rows,
              (std::vector<std::string>{"1|01.01.2000 10:00:00|STOCK|kept", "|07.12.2026 08:00:00|CORVINAX|ADDED Modem"}));
    const std::string log = readFile(local + "/check.log");
    EXPECT_TRUE(log.starts_with(logHeader.caption + "\r\n"));
    EXPECT_NE(log.find("Компьютер :PC,"), std::string::npos);
    EXPECT_NE(log.find("- Записано в " + settings.warehouseTable + " строк : 1"), std::string::npos);

    settings.warehouseTable = "\\\\127.0.0.1\\cfg\\missing\\other.dbf";
    smbRunner.StartCheck();
    EXPECT_EQ(smbRunner.lastOutcome().exported, ExportResult::NotOpened);
    EXPECT_EQ(view.messages.back(), "- Файл не найден :" + settings.warehouseTable);
}

TEST_F(Smb, AmnestyErasesTheChangeSectionsOfAReportOnTheServer)
{
    writeFile(local + "/PC.ini", "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\na=1\r\n[Post_Accounts]\r\nb=2\r\n");
    AdditionalData data;
    data.reportPath = unc + "\\PC.ini";
    ASSERT_TRUE(amnestyApplies(1, &data));
    grantAmnesty(data);
    EXPECT_EQ(readFile(local + "/PC.ini"), "[Info]\r\nComputer_Name=PC\r\n");
    EXPECT_EQ(ProfileFile(unc + "\\PC.ini").readString("Info", "Computer_Name", "?"), "PC");
}

TEST_F(Smb, ThePrivateShareTakesTheSettingsLoginAndRefusesAWrongPassword)
{
    const std::string privateLocal = SambaServer::instance().share("private");
    writeFile(privateLocal + "/PC.ini", report("PRIVATE", {"07.12.2026 08:00:00=ADDED Modem"}));
    settings.checkDirs.push_back({"\\\\127.0.0.1\\private", "1"});
    settings.login = "root";
    settings.password = "wrong";
    smbRunner.StartCheck();
    EXPECT_EQ(view.messages, std::vector<std::string>{"Неверный каталог \\\\127.0.0.1\\private"});

    // A connection refused once is not kept: the right password works at the next run.
    network.cancel("F:");
    settings.password = kSambaPassword;
    smbRunner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Компьютер :PRIVATE,"), 1);
}

TEST(SmbUrl, UncPathsBecomeUrlsInUtf8)
{
    EXPECT_EQ(SmbFiles::urlOf("\\\\SERVER\\cfg"), "smb://SERVER/cfg");
    EXPECT_EQ(SmbFiles::urlOf("\\\\SERVER\\cfg\\dept\\"), "smb://SERVER/cfg/dept");
    EXPECT_EQ(SmbFiles::urlOf("\\\\SERVER\\cfg\\100%#?"), "smb://SERVER/cfg/100%25%23%3F");
    EXPECT_EQ(SmbFiles::urlOf("\\\\SERVER\\отдел"), "smb://SERVER/\xD0\xBE\xD1\x82\xD0\xB4\xD0\xB5\xD0\xBB");
    // A listed name goes as the server gave it, and is never a way into another folder.
    EXPECT_EQ(SmbFiles::childUrl("\\\\SERVER\\cfg", "caf\xC3\xA9/%?.ini"), "smb://SERVER/cfg/caf\xC3\xA9%2F%25%3F.ini");
}

}  // namespace
}  // namespace corvinax

namespace corvinax {
namespace {

// A copy-aside folder that is the check directory by another spelling: the server by another name,
// or the share's folder by its local path. Only the folder's contents can tell; the report stays.
TEST_F(Smb, ACopyAsideFolderThatIsTheCheckDirectoryByAnotherSpellingKeepsTheReport)
{
    const std::string old = report("OLD", {"01.01.2026 08:00:00=REMOVED Modem"});
    for (const std::string& aside : {"\\\\localhost\\cfg\\" + folder, local, local + "/"}) {
        SCOPED_TRACE(aside);
        writeFile(local + "/OLD.ini", old);
        const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, (local + "/OLD.ini").c_str(), longAgo, 0);
        settings.checkDirs = {{unc, "1"}};
        settings.deleteOld = true;
        settings.deleteOldSilence = true;
        settings.deleteOldCopy = true;
        settings.deleteOldCopyPath = aside;

        smbRunner.StartCheck();

        EXPECT_EQ(readFile(local + "/OLD.ini"), old);
        EXPECT_EQ(countNodesStartingWith("Удален файл"), 0);
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(local))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"OLD.ini"});  // no probe left behind
    }
}

// A report caught while its agent writes it: the cut line is not remembered, and the finished line
// shows at the next run, as in local folders.
TEST_F(Smb, AReportBeingWrittenIsReadAgainAndItsCutKeyNotStored)
{
    const std::string head = report("PC-1", {"07.12.2026 08:00:00=ADDED Modem"});
    writeFile(local + "/PC-1.ini", head + "07.12.2026 08:05:00=ADDED Pri");
    settings.checkDirs.push_back({unc, "1"});

    smbRunner.StartCheck();

    EXPECT_EQ(stored(unc, "PC-1.ini"), "<none>");
    writeFile(local + "/PC-1.ini", head + "07.12.2026 08:05:00=ADDED Printer\r\n");
    tree = ResultTree();
    smbRunner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("07.12.2026 08:05:00=ADDED Printer"), 1);
    EXPECT_EQ(stored(unc, "PC-1.ini"), "07.12.2026 08:05:00");
}

// A report over the read limit is named and passed over, as in local folders.
TEST_F(Smb, AReportOverTheReadLimitIsNamed)
{
    writeFile(local + "/PC-1.ini", report("PC-1", {"07.12.2026 08:00:00=ADDED Modem"}));
    const std::int64_t size = std::int64_t{65} << 20;
    const int fd = ::open((local + "/BIG.ini").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    settings.checkDirs.push_back({unc, "2"});

    smbRunner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("Слишком большой файл " + unc + "\\BIG.ini : " + std::to_string(size) +
                                     " байт, не прочитан"),
              1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :PC-1,"), 1);
}

}  // namespace
}  // namespace corvinax
