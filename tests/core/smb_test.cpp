// UNC check directories against a real Samba server, started for these tests on the loopback
// interface with shares in a temporary directory.

#include "check/smb_files.h"
#include "check_run_fixture.h"
#include "output/result_actions.h"
#include "profile/profile_file.h"
#include "support/dbf_files.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvinax {
namespace {

using test::CheckRun;
using test::readFile;
using test::report;
using test::TempDir;
using test::writeFile;

constexpr const char* kPassword = "Secret-123";
// Not the usual port, so that a Samba server of the machine itself is no obstacle.
constexpr int kPort = 4445;

bool portOpen(const char* address, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, address, &to.sin_addr);
    const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    ::close(fd);
    return open;
}

// smbd on 127.0.0.1 with a guest share "cfg" and a share "private" for the user root.
class SambaServer {
public:
    static SambaServer& instance()
    {
        static SambaServer server;
        return server;
    }

    bool running() const { return m_pid > 0; }
    const std::string& why() const { return m_why; }
    std::string share(const std::string& name) const { return m_dir.file(name); }

    // smbd and the processes it started form a group of their own, stopped as a whole.
    ~SambaServer()
    {
        if (m_pid > 0) {
            ::kill(-m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

private:
    SambaServer()
    {
        if (::geteuid() != 0 || ::access("/usr/sbin/smbd", X_OK) != 0) {
            m_why = "needs root and smbd (Debian's samba)";
            return;
        }
        if (portOpen("127.0.0.1", kPort)) {
            m_why = "the test port is taken";
            return;
        }
        for (const char* folder : {"cfg", "private", "state", "run"})
            std::filesystem::create_directories(m_dir.file(folder));
        std::filesystem::permissions(m_dir.file("cfg"), std::filesystem::perms::all);
        const std::string conf = m_dir.file("smb.conf");
        const std::string state = m_dir.file("state");
        writeFile(conf, "[global]\n"
                        "workgroup = WORKGROUP\nserver role = standalone server\n"
                        "interfaces = lo\nbind interfaces only = yes\nsmb ports = " + std::to_string(kPort) + "\n"
                        "map to guest = Bad User\npassdb backend = tdbsam:" + state + "/passdb.tdb\n"
                        "private dir = " + state + "\nlock directory = " + state + "\nstate directory = " + state +
                        "\ncache directory = " + state + "\npid directory = " + m_dir.file("run") +
                        "\nncalrpc dir = " + m_dir.file("run") + "\nlog file = " + m_dir.file("smbd.log") +
                        "\nload printers = no\nprinting = bsd\nprintcap name = /dev/null\ndisable spoolss = yes\n"
                        "store dos attributes = yes\n"
                        "[cfg]\npath = " + m_dir.file("cfg") + "\nread only = no\nguest ok = yes\nforce user = root\n"
                        "hide dot files = yes\nhide files = /*.hid/\n"
                        "[private]\npath = " + m_dir.file("private") + "\nread only = no\nguest ok = no\n"
                        "valid users = root\n");
        const std::string add = "printf '%s\\n%s\\n' " + std::string(kPassword) + " " + kPassword +
                                " | smbpasswd -c '" + conf + "' -s -a root >/dev/null 2>&1";
        if (std::system(add.c_str()) != 0) {
            m_why = "smbpasswd failed";
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setpgid(0, 0);
            const int null = ::open("/dev/null", O_RDWR);
            for (int fd : {0, 1, 2})
                ::dup2(null, fd);
            ::execl("/usr/sbin/smbd", "smbd", "--foreground", "--no-process-group", "--configfile", conf.c_str(),
                    static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        for (int i = 0; i < 100 && !portOpen("127.0.0.1", kPort); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!portOpen("127.0.0.1", kPort)) {
            m_why = "smbd did not start: " + readFile(m_dir.file("smbd.log"));
            ::kill(-m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

    TempDir m_dir;
    pid_t m_pid = -1;
    std::string m_why;
};

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
        setRemoteFiles(&network);
    }
    void TearDown() override { setRemoteFiles(nullptr); }

    SmbFiles network{[this] { return SmbCredentials{settings.login, settings.password}; }, 5000, kPort};
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
    settings.password = kPassword;
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
