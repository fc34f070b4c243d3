// The housekeeping of a run (working copies, the age rule, copies aside) tried as an attacker
// would: the program runs as root over folders that other people write into. Each case states what
// must still be there afterwards, byte for byte.

#include "check_run_fixture.h"

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvinax {
namespace {

using test::readFile;
using test::report;
using test::writeFile;

constexpr uid_t kOtherUser = 65534;  // nobody

// What a path holds: a file's bytes, a link's target, or that nothing is there.
std::string contentOf(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return "<missing>";
    if (S_ISLNK(info.st_mode))
        return "<link to " + std::filesystem::read_symlink(path).string() + ">";
    return readFile(path);
}

std::vector<std::string> listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string() + " " + contentOf(entry.path().string()));
    std::sort(names.begin(), names.end());
    return names;
}

class HousekeepingAttack;

struct Attack {
    const char* name;
    std::function<void(HousekeepingAttack&)> arrange;
};

void PrintTo(const Attack& attack, std::ostream* out)
{
    *out << attack.name;
}

class HousekeepingAttack : public test::CheckRun, public ::testing::WithParamInterface<Attack> {
public:
    using CheckRun::dir;
    using CheckRun::settings;

    HousekeepingAttack()
    {
        clock.set({2026, 5, 31, 15, 30, 0});
        settings.deleteOldValue = 30;
        settings.deleteOldSilence = true;
        settings.deleteOldCopy = false;
        cfg = checkDir("cfg");
        aside = dir.file("aside");
        std::filesystem::create_directory(aside);
    }

    // A report last written before the age limit, or after it; returns its bytes.
    std::string writeReport(const std::string& name, const std::string& computer, bool old)
    {
        const std::string path = cfg + "/" + name;
        const std::string bytes = report(computer, {"31.05.2026 08:00:00=ADDED Modem"});
        writeFile(path, bytes);
        const timespec when{old ? 1'777'000'000 : 1'780'000'000, 0};  // April 2026, May 2026
        const timespec times[2] = {when, when};
        ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
        return bytes;
    }

    // A file of its owner's alone, outside every folder the run works in.
    std::string secretFile()
    {
        const std::string path = dir.file("secret");
        writeFile(path, "root's own secret\n");
        ::chmod(path.c_str(), 0600);
        return path;
    }

    void expect(const std::string& path, const std::string& content) { expected[path] = content; }
    void mustStay(const std::string& path) { expected[path] = contentOf(path); }
    void mustGo(const std::string& path) { expected[path] = "<missing>"; }
    void mustShow(const std::string& computer) { shown.push_back(computer); }

    void useWorkDir(const std::string& folder)
    {
        settings.useWorkDir = true;
        settings.workDir = folder;
        std::filesystem::create_directories(folder);
        workDirBefore = listing(folder);
    }

    // Another user keeps planting links named like the reports in the working folder.
    void plantLinksAsAnotherUser(const std::string& folder, const std::vector<std::string>& names,
                                 const std::string& target)
    {
        planter = ::fork();
        if (planter == 0) {
            if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
                std::_Exit(1);
            // Each link comes back the moment the run has removed it.
            const int watch = ::inotify_init();
            if (watch < 0 || ::inotify_add_watch(watch, folder.c_str(), IN_DELETE) < 0)
                std::_Exit(1);
            for (const std::string& name : names)
                (void)!::symlink(target.c_str(), (folder + "/" + name).c_str());
            alignas(inotify_event) char events[4096];
            for (;;) {
                const ssize_t got = ::read(watch, events, sizeof events);
                for (ssize_t at = 0; at < got;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                    if (event->len > 0)
                        (void)!::symlink(target.c_str(), (folder + "/" + event->name).c_str());
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                }
            }
        }
        for (int i = 0; i < 500 && !std::filesystem::is_symlink(folder + "/" + names.front()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    ~HousekeepingAttack() override
    {
        if (planter > 0) {
            ::kill(planter, SIGKILL);
            ::waitpid(planter, nullptr, 0);
        }
    }

    std::string cfg;
    std::string aside;
    std::map<std::string, std::string> expected;
    std::vector<std::string> shown;
    std::optional<std::vector<std::string>> workDirBefore;
    pid_t planter = -1;
};

TEST_P(HousekeepingAttack, LeavesEveryFileItMustKeep)
{
    GetParam().arrange(*this);
    if (IsSkipped())
        return;
    runner.StartCheck();
    if (planter > 0) {
        ::kill(planter, SIGKILL);
        ::waitpid(planter, nullptr, 0);
        planter = -1;
    }

    for (const auto& [path, content] : expected)
        EXPECT_EQ(contentOf(path), content) << path;
    for (const std::string& computer : shown)
        EXPECT_EQ(countNodesStartingWith("Компьютер :" + computer + ","), 1) << computer;
    EXPECT_EQ(countNodesStartingWith("Ошибка копирования"), 0);
    if (workDirBefore) {
        EXPECT_EQ(listing(settings.workDir), *workDirBefore);  // nothing of the run is left there
    }
}

const Attack kAttacks[] = {
    {"LinkPlantedInTheWorkingFolderByAnotherUser",
     [](HousekeepingAttack& t) {
         if (::geteuid() != 0)
             GTEST_SKIP() << "needs root, to plant the links as another user";
         ::chmod(t.dir.path().c_str(), 0755);
         const std::string secret = t.secretFile();
         const std::string shared = t.dir.file("shared");  // as /tmp: everyone's, with the sticky bit
         std::filesystem::create_directory(shared);
         ::chmod(shared.c_str(), 01777);
         std::vector<std::string> names;
         for (int i = 1; i <= 50; ++i) {
             const std::string computer = "PC-" + std::to_string(i);
             names.push_back(computer + ".ini");
             t.writeReport(names.back(), computer, false);
             t.mustStay(t.cfg + "/" + names.back());
             t.mustShow(computer);
         }
         t.mustStay(secret);
         t.settings.useWorkDir = true;
         t.settings.workDir = shared;
         t.plantLinksAsAnotherUser(shared, names, secret);
     }},
    {"WorkingFolderIsTheCheckDirectory",
     [](HousekeepingAttack& t) {
         t.writeReport("PC-1.ini", "PC-1", false);
         t.writeReport("PC-2.ini", "PC-2", false);
         t.mustStay(t.cfg + "/PC-1.ini");
         t.mustStay(t.cfg + "/PC-2.ini");
         t.mustShow("PC-1");
         t.mustShow("PC-2");
         t.useWorkDir(t.cfg);
     }},
    {"WorkingFolderIsTheProgramFolderWithReportsNamedLikeItsFiles",
     [](HousekeepingAttack& t) {
         const std::string program = t.dir.file("program");
         std::filesystem::create_directory(program);
         writeFile(program + "/other.dbf", "the warehouse table");
         writeFile(program + "/corvinax.log", "the log's history");
         t.writeReport("other.dbf", "TABLE", false);
         t.writeReport("corvinax.log", "LOG", false);
         t.mustShow("TABLE");
         t.mustShow("LOG");
         t.useWorkDir(program);
     }},
    {"CopyAsideFolderIsTheCheckDirectory",
     [](HousekeepingAttack& t) {
         t.settings.deleteOld = t.settings.deleteOldCopy = true;
         t.settings.deleteOldCopyPath = t.cfg;
         t.writeReport("OLD.ini", "OLD", true);
         t.mustStay(t.cfg + "/OLD.ini");
     }},
    {"CopyAsideFolderIsALinkToTheCheckDirectory",
     [](HousekeepingAttack& t) {
         t.settings.deleteOld = t.settings.deleteOldCopy = true;
         t.settings.deleteOldCopyPath = t.dir.file("alias");
         std::filesystem::create_directory_symlink(t.cfg, t.settings.deleteOldCopyPath);
         t.writeReport("OLD.ini", "OLD", true);
         t.mustStay(t.cfg + "/OLD.ini");
     }},
    {"LinkInTheCopyAsideFolderNamedLikeAReport",
     [](HousekeepingAttack& t) {
         t.settings.deleteOld = t.settings.deleteOldCopy = true;
         t.settings.deleteOldCopyPath = t.aside;
         const std::string secret = t.secretFile();
         std::filesystem::create_symlink(secret, t.aside + "/OLD.ini");
         const std::string bytes = t.writeReport("OLD.ini", "OLD", true);
         t.mustStay(secret);
         t.expect(t.aside + "/OLD.ini", bytes);
         t.mustGo(t.cfg + "/OLD.ini");
     }},
    {"LinkedReportPointingAtAPrivateFile",
     [](HousekeepingAttack& t) {
         t.settings.deleteOld = t.settings.deleteOldCopy = true;
         t.settings.deleteOldCopyPath = t.aside;
         const std::string secret = t.secretFile();
         const timespec old[2] = {{1'777'000'000, 0}, {1'777'000'000, 0}};
         ::utimensat(AT_FDCWD, secret.c_str(), old, 0);
         std::filesystem::create_symlink(secret, t.cfg + "/LINK.ini");
         ::utimensat(AT_FDCWD, (t.cfg + "/LINK.ini").c_str(), old, AT_SYMLINK_NOFOLLOW);
         t.mustStay(secret);
         t.mustStay(t.cfg + "/LINK.ini");
         t.mustGo(t.aside + "/LINK.ini");
     }},
    {"OldNameCodePage1251CannotHoldBesideAFreshLookAlike",
     [](HousekeepingAttack& t) {
         t.settings.deleteOld = t.settings.deleteOldCopy = true;
         t.settings.deleteOldCopyPath = t.aside;
         const std::string old = t.writeReport("caf\xC3\xA9.ini", "OLD", true);  // café.ini in UTF-8
         t.writeReport("caf?.ini", "FRESH", false);
         t.mustGo(t.cfg + "/caf\xC3\xA9.ini");
         t.expect(t.aside + "/caf\xC3\xA9.ini", old);
         t.mustStay(t.cfg + "/caf?.ini");
         t.mustShow("FRESH");
     }},
    {"NameOf250BytesThroughAWorkingCopy",
     [](HousekeepingAttack& t) {
         const std::string name = std::string(246, 'N') + ".ini";
         t.writeReport(name, "LONG", false);
         t.mustStay(t.cfg + "/" + name);
         t.mustShow("LONG");
         t.useWorkDir(t.dir.file("work"));
     }},
};

INSTANTIATE_TEST_SUITE_P(Housekeeping, HousekeepingAttack, ::testing::ValuesIn(kAttacks),
                         [](const ::testing::TestParamInfo<Attack>& attack) { return std::string(attack.param.name); });

}  // namespace
}  // namespace corvinax
