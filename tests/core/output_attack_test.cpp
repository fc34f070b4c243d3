// The files a run writes or appends to (the JSON findings, the check log, the warehouse table, the
// settings file) tried as an attacker would: the program runs as root from a scheduler, and a local
// user next to it plants links and holds locks. Each case states what must still be there afterwards,
// byte for byte, and how the run ended.

#include "app/warehouse_status.h"
#include "check_run_fixture.h"
#include "output/json_findings.h"
#include "platform/error.h"
#include "support/dbf_files.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvinax {
namespace {

using test::readFile;
using test::report;
using test::writeFile;

constexpr uid_t kOtherUser = 65534;  // nobody

// What a path holds: a file's bytes and permission bits, a link's target, a folder's names, or that
// nothing is there.
std::string contentOf(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return "<missing>";
    if (S_ISLNK(info.st_mode))
        return "<link to " + std::filesystem::read_symlink(path).string() + ">";
    if (S_ISDIR(info.st_mode)) {
        std::string names = "<folder:";
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names += " " + entry.path().filename().string();
        return names + ">";
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", info.st_mode & 07777);
    return std::string(mode) + " uid " + std::to_string(info.st_uid) + " " + readFile(path);
}

class OutputAttack;

struct OutputCase {
    const char* name;
    std::function<void(OutputAttack&)> arrange;
    int status;  // of the unattended run; outside warehouse mode, unused
};

void PrintTo(const OutputCase& attack, std::ostream* out)
{
    *out << attack.name;
}

class OutputAttack : public test::CheckRun, public ::testing::WithParamInterface<OutputCase> {
public:
    using CheckRun::dir;
    using CheckRun::settings;
    using CheckRun::stored;

    OutputAttack()
    {
        clock.set({2026, 12, 7, 9, 0, 0});
        ::chmod(dir.path().c_str(), 0755);
        const std::string cfg = checkDir("cfg");
        writeFile(cfg + "/PC-1.ini", report("PC-1", {"07.12.2026 08:00:00=ADDED Modem"}));
        settings.warehouseMode = true;
        settings.warehouseTable = dir.file("other.dbf");
        test::createWarehouseTable(settings.warehouseTable, {{"0001", "any", "STOCK", "any"}});
    }

    static void needRoot()
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root, to make files as another user";
    }

    // A file of its owner's alone, outside every folder the run writes into.
    std::string secretFile(mode_t mode)
    {
        const std::string path = dir.file("secret");
        writeFile(path, "root's own secret\n");
        ::chmod(path.c_str(), mode);
        return path;
    }

    // A folder as /tmp is: everyone's, with the sticky bit.
    std::string stickyFolder()
    {
        const std::string path = dir.file("shared");
        std::filesystem::create_directory(path);
        ::chmod(path.c_str(), 01777);
        return path;
    }

    // A folder of root's that the other user's group may write into, without the sticky bit.
    std::string groupWritableFolder()
    {
        const std::string path = dir.file("group");
        std::filesystem::create_directory(path);
        (void)!::chown(path.c_str(), 0, kOtherUser);
        ::chmod(path.c_str(), 0775);
        return path;
    }

    void linkAsOtherUser(const std::string& target, const std::string& link)
    {
        std::filesystem::create_symlink(target, link);
        (void)!::lchown(link.c_str(), kOtherUser, kOtherUser);
    }

    void mustStay(const std::string& path) { expected[path] = contentOf(path); }

    void holdFlock(const std::string& path)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0) << path;
        ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << path;
        held.push_back(fd);
    }

    ~OutputAttack() override
    {
        for (const int fd : held)
            ::close(fd);
    }

    std::map<std::string, std::string> expected;
    std::vector<std::string> logged;    // lines the check log must hold
    std::vector<std::string> messages;  // texts some message must hold
    std::function<void()> check;        // what else must hold afterwards
    std::vector<int> held;
};

TEST_P(OutputAttack, LeavesWhatItMustAndSaysWhatFailed)
{
    const OutputCase& attack = GetParam();
    attack.arrange(*this);
    if (IsSkipped() || HasFatalFailure())
        return;
    runner.StartCheck();

    for (const auto& [path, content] : expected)
        EXPECT_EQ(contentOf(path), content) << path;
    const std::string log = readFile(settings.logFileName);
    for (const std::string& line : logged)
        EXPECT_NE(log.find(line + "\r\n"), std::string::npos) << line << "\n" << log;
    for (const std::string& text : messages) {
        EXPECT_TRUE(std::any_of(view.messages.begin(), view.messages.end(),
                                [&](const std::string& shown) { return shown.find(text) != std::string::npos; }))
            << text;
    }
    if (check)
        check();
    if (settings.warehouseMode) {
        const bool saved = std::count(view.events.begin(), view.events.end(), "save and close") == 1;
        EXPECT_EQ(warehouseExitStatus(runner.lastOutcome(), saved, false), attack.status);
    }
}

const OutputCase kOutputCases[] = {
    {"JsonNameLinkedToAnotherFileByAnotherUserInAStickyFolder",
     [](OutputAttack& t) {
         t.needRoot();
         const std::string secret = t.secretFile(0640);
         const std::string json = t.stickyFolder() + "/findings.jsonl";
         t.linkAsOtherUser(secret, json);
         t.settings.jsonFile = json;
         t.mustStay(secret);
         t.mustStay(json);
         t.logged.push_back("Ошибка записи " + json + " (Permission denied)");
     },
     3},
    {"JsonNameLinkedToAnotherFolderByAnotherUser",
     [](OutputAttack& t) {
         t.needRoot();
         const std::string elsewhere = t.dir.file("elsewhere");
         std::filesystem::create_directory(elsewhere);
         const std::string folder = t.stickyFolder() + "/findings";
         t.linkAsOtherUser(elsewhere, folder);
         t.settings.jsonFile = folder + "/findings.jsonl";
         t.mustStay(elsewhere);
         t.mustStay(folder);
     },
     3},
    {"JsonNameLinkedByTheRunningUserIsFollowed",
     [](OutputAttack& t) {
         const std::string real = t.dir.file("real.jsonl");
         writeFile(real, "yesterday\n");
         ::chmod(real.c_str(), 0640);
         const std::string json = t.dir.file("findings.jsonl");
         std::filesystem::create_symlink(real, json);
         t.settings.jsonFile = json;
         t.mustStay(json);
         t.check = [real] {
             EXPECT_NE(readFile(real).find("\"computer\":\"PC-1\""), std::string::npos);
             EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
                       std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                           std::filesystem::perms::group_read);
         };
     },
     0},
    {"JsonFileThatIsAFolder",
     [](OutputAttack& t) {
         const std::string json = t.dir.file("findings.jsonl");
         std::filesystem::create_directory(json);
         t.settings.jsonFile = json;
         t.mustStay(json);
         t.logged.push_back("Ошибка записи " + json + " (Is a directory)");
     },
     3},
    {"LogNameLinkedByAnotherUserInAStickyFolder",
     [](OutputAttack& t) {
         t.needRoot();
         const std::string secret = t.secretFile(0600);
         t.settings.logFileName = t.stickyFolder() + "/check.log";
         t.linkAsOtherUser(secret, t.settings.logFileName);
         t.mustStay(secret);
         t.messages.push_back("Permission denied: " + t.settings.logFileName);
     },
     0},
    {"LogNameLinkedByAnotherUserInAGroupWritableFolder",
     [](OutputAttack& t) {
         t.needRoot();
         const std::string secret = t.secretFile(0600);
         t.settings.logFileName = t.groupWritableFolder() + "/check.log";
         t.linkAsOtherUser(secret, t.settings.logFileName);
         t.mustStay(secret);
         t.messages.push_back("Permission denied: " + t.settings.logFileName);
     },
     0},
    // A second name of a file of root's, made in the log's folder (where hard links are not
    // protected by the system): no log is appended to it.
    {"LogNameHardLinkedToAnotherFile",
     [](OutputAttack& t) {
         const std::string secret = t.secretFile(0600);
         const std::string logs = t.dir.file("logs");
         std::filesystem::create_directory(logs);
         t.settings.logFileName = logs + "/check.log";
         std::filesystem::create_hard_link(secret, t.settings.logFileName);
         t.mustStay(secret);
         t.messages.push_back("Permission denied: " + t.settings.logFileName);
     },
     0},
    {"LogFolderLinkedByAnotherUser",
     [](OutputAttack& t) {
         t.needRoot();
         const std::string elsewhere = t.dir.file("elsewhere");
         std::filesystem::create_directory(elsewhere);
         const std::string logs = t.stickyFolder() + "/logs";
         t.linkAsOtherUser(elsewhere, logs);
         t.settings.logFileName = logs + "/check.log";
         t.mustStay(elsewhere);
     },
     0},
    {"TableLockedByAUserWhoMayOnlyReadIt",
     [](OutputAttack& t) {
         t.holdFlock(t.settings.warehouseTable);
         t.logged.push_back("- Записано в " + t.settings.warehouseTable + " строк : 1");
     },
     0},
    {"SettingsFolderLockedByAUserWhoMayOnlyReadIt",
     [](OutputAttack& t) {
         t.settings.warehouseMode = false;
         t.holdFlock(t.dir.path());
         t.check = [&t] { EXPECT_EQ(t.stored(t.settings.checkDirs[0].path, "PC-1.ini"), "07.12.2026 08:00:00"); };
     },
     0},
    {"TableLinkedByAnotherUser",
     [](OutputAttack& t) {
         t.needRoot();
         const std::string real = t.dir.file("real.dbf");
         std::filesystem::rename(t.settings.warehouseTable, real);
         const std::string table = t.stickyFolder() + "/other.dbf";
         t.linkAsOtherUser(real, table);
         t.settings.warehouseTable = table;
         t.mustStay(real);
         t.mustStay(table);
         t.logged.push_back("- Ошибка открытия базы :" + table);
     },
     2},
};

INSTANTIATE_TEST_SUITE_P(Cases, OutputAttack, ::testing::ValuesIn(kOutputCases),
                         [](const ::testing::TestParamInfo<OutputCase>& attack) { return std::string(attack.param.name); });

// In a child process, so that its limits and its user stay its own; the child's exit status.
int inChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        std::_Exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A full disk: the JSON file says so and yesterday's file is left as it was, never half replaced.
TEST(JsonOnAFullDisk, FailsAndLeavesThePreviousFile)
{
    test::TempDir dir;
    const std::string path = dir.file("findings.jsonl");
    writeFile(path, "yesterday\n");
    JsonFindings json("2026-12-07T09:00:00+00:00");
    for (int i = 0; i < 200; ++i)
        json.addLine("file_count", "/data/cfg", "Число файлов в /data/cfg увеличилось с 0 до " + std::to_string(i));
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            json.write(path);
        } catch (const Error& error) {
            return std::string(error.what()) == "Ошибка записи " + path + " (File too large)" ? 7 : 8;
        }
        return 9;
    });
    EXPECT_EQ(status, 7);
    EXPECT_EQ(readFile(path), "yesterday\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // nothing left beside it
}

// A table its owner keeps from the running user, in a folder that user may write: the table is not
// replaced behind its owner's back.
TEST(TableOfAnotherOwner, IsNotReplacedByAUserWhoMayNotWriteIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to run the export as another user";
    test::TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string table = dir.file("other.dbf");
    test::createWarehouseTable(table, {{"0001", "any", "STOCK", "any"}});
    ::chmod(table.c_str(), 0644);
    const std::string before = readFile(table);
    Settings settings;
    settings.warehouseTable = table;
    settings.logFileName = dir.file("check.log");
    ResultTree tree;
    test::FakeRunView view;
    test::FakeClock clock;
    const int status = inChild([&] {
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
            return 99;
        ::setenv("HOME", "/nonexistent", 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        return static_cast<int>(WarehouseExport(settings, tree, view, clock, {"Caption", "/exe"}).WriteMervoDBF());
    });
    EXPECT_EQ(status, static_cast<int>(ExportResult::NotOpened));
    EXPECT_EQ(readFile(table), before);
    struct stat info {};
    ASSERT_EQ(::stat(table.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_NE(readFile(dir.file("check.log")).find("- Ошибка открытия базы :" + table), std::string::npos);
}

// The run's exit statuses, in the order in which one failure hides another.
TEST(WarehouseExitStatus, TheFirstFailureDecides)
{
    struct Row {
        const char* name;
        CheckRunner::Outcome outcome;
        bool saved;
        int status;
    };
    auto outcome = [](std::optional<ExportResult> exported, bool json, std::size_t interrupted,
                      std::size_t violators = 0) {
        CheckRunner::Outcome result;
        result.ran = true;
        result.exported = exported;
        result.jsonFailed = json;
        result.interruptedDirectories = interrupted;
        result.violators = violators;
        return result;
    };
    const Row rows[] = {
        {"no run", CheckRunner::Outcome{}, true, 1},
        {"everything went through", outcome(ExportResult::Written, false, 0, 3), true, 5},
        {"table missing, JSON failed", outcome(ExportResult::NotOpened, true, 1), true, 2},
        {"save failed, JSON failed", outcome(ExportResult::Written, true, 1), false, 4},
        {"JSON failed, a server went away", outcome(ExportResult::Written, true, 1), true, 3},
        {"a server went away", outcome(ExportResult::Written, false, 2, 3), true, 6},
    };
    for (const Row& row : rows)
        EXPECT_EQ(warehouseExitStatus(row.outcome, row.saved, row.status == 5), row.status) << row.name;
}

}  // namespace
}  // namespace corvinax
