// The export into the shared warehouse table when things go wrong: a full disk, locks of other
// programs, damaged tables, a kill in the middle, a stop asked for by a signal. The table must
// always be either as it was, byte for byte, or the whole new table.

#include "check_run_fixture.h"
#include "output/warehouse_export.h"
#include "platform/private_lock.h"
#include "platform/stop_request.h"
#include "support/dbf_files.h"

#include <shapefil.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvinax {
namespace {

using test::readFile;
using test::writeFile;

class TableFault;

// A process that holds a lock on the table until it is told to go, or for a while.
class LockHolder {
public:
    LockHolder(const std::string& table, short type, off_t length, std::chrono::milliseconds hold)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(table.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = type;
            lock.l_whence = SEEK_SET;
            lock.l_len = length;
            ::fcntl(fd, F_SETLKW, &lock);
            (void)!::write(ready[1], "x", 1);
            std::this_thread::sleep_for(hold);
            std::_Exit(0);
        }
        char signal = 0;
        (void)!::read(ready[0], &signal, 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~LockHolder()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    pid_t m_pid = -1;
};

class TableFault : public ::testing::Test {
public:
    TableFault()
    {
        settings.warehouseMode = true;
        settings.warehouseTable = dir.file("other.dbf");
        settings.logFileName = dir.file("check.log");
        settings.maxLines = 16;
        settings.maxDate = 100;
        clock.set({2026, 12, 7, 9, 0, 10});
        std::vector<test::DbfRow> rows;
        for (int i = 0; i < 3000; ++i)
            rows.push_back({"00-00-00-00-" + std::to_string(i), "01.12.2026 10:00:00", i % 2 ? "CORVINAX" : "STOCK",
                            "row " + std::to_string(i)});
        test::createWarehouseTable(settings.warehouseTable, rows);
        ResultNode& folder = tree.addTopLevel("/data/cfg");
        for (int i = 0; i < computers; ++i) {
            ResultNode& pc = tree.addChild(folder, "Компьютер :PC-" + std::to_string(i));
            SetAdditional(pc, kMacAddr, "AA-" + std::to_string(i));
            tree.addChild(pc, "06.12.2026 18:20:11=ADDED Printer " + std::to_string(i));
        }
    }
    ~TableFault() override { setStopRequest(0); }

    ExportResult exportNow(std::chrono::milliseconds lockWait = std::chrono::seconds(30))
    {
        return WarehouseExport(settings, tree, view, clock, {"C", "E"}, lockWait).WriteMervoDBF();
    }

    // The export in a child process, whose exit status is the result, 9 for a stop.
    int exportInChild(const std::function<void()>& prepare)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            prepare();
            try {
                std::_Exit(static_cast<int>(exportNow(std::chrono::milliseconds(600))));
            } catch (const RunStopped&) {
                std::_Exit(9);
            }
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string log() const { return test::fileExists(settings.logFileName) ? readFile(settings.logFileName) : ""; }

    std::vector<std::string> filesBesideTheTable() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static constexpr int computers = 2000;
    test::TempDir dir;
    Settings settings;
    ResultTree tree;
    test::FakeRunView view;
    test::FakeClock clock;
};

struct Fault {
    const char* name;
    std::function<void(TableFault&)> arrange;
    // What the export runs under; returns its result (as exportInChild does).
    std::function<int(TableFault&)> run;
    int expected;        // the export's result
    const char* logged;  // a line the log must hold (and then no count of written rows)
    bool tableUnchanged;
};

void PrintTo(const Fault& fault, std::ostream* out)
{
    *out << fault.name;
}

int inProcess(TableFault& t)
{
    return static_cast<int>(t.exportNow(std::chrono::milliseconds(600)));
}

const Fault kFaults[] = {
    {"FullFileSystem", nullptr,
     [](TableFault& t) {
         return t.exportInChild([] {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{200'000, 200'000};  // less than the new table, more than the log
             ::setrlimit(RLIMIT_FSIZE, &limit);
         });
     },
     static_cast<int>(ExportResult::Failed), "- Ошибка записи базы :", true},
    {"LockedByAnotherProgramLongerThanTheBound", nullptr,
     [](TableFault& t) {
         LockHolder holder(t.settings.warehouseTable, F_WRLCK, 0, std::chrono::minutes(1));
         return inProcess(t);
     },
     static_cast<int>(ExportResult::NotOpened), "- База занята другой программой :", true},
    {"LockedByAnotherProgramForAWhile", nullptr,
     [](TableFault& t) {
         LockHolder holder(t.settings.warehouseTable, F_WRLCK, 0, std::chrono::seconds(2));
         return static_cast<int>(t.exportNow(std::chrono::seconds(30)));
     },
     static_cast<int>(ExportResult::Written), "- Записано в ", false},
    {"SharedLockOfAnotherProgramThroughout", nullptr,
     [](TableFault& t) {
         LockHolder holder(t.settings.warehouseTable, F_RDLCK, 1, std::chrono::minutes(1));
         return inProcess(t);
     },
     static_cast<int>(ExportResult::Written), "- Записано в ", false},
    {"AnotherExportOfThisProgramLongerThanTheBound", nullptr,
     [](TableFault& t) {
         const PrivateLock otherExport(t.settings.warehouseTable, std::chrono::seconds(1));
         return t.exportInChild([] {});
     },
     static_cast<int>(ExportResult::NotOpened), "- База занята другой программой :", true},
    // Anyone who may read the table can flock it: that must not stop the exports.
    {"AFlockOfAnyoneWhoMayReadTheTable", nullptr,
     [](TableFault& t) {
         const int fd = ::open(t.settings.warehouseTable.c_str(), O_RDONLY);
         ::flock(fd, LOCK_EX);
         const int result = t.exportInChild([] {});
         ::close(fd);
         return result;
     },
     static_cast<int>(ExportResult::Written), "- Записано в ", false},
    {"HeaderClaimsMoreRowsThanTheFileHolds",
     [](TableFault& t) {
         std::string bytes = readFile(t.settings.warehouseTable);
         bytes[4] = static_cast<char>(static_cast<unsigned char>(bytes[4]) + 100);
         writeFile(t.settings.warehouseTable, bytes);
     },
     inProcess, static_cast<int>(ExportResult::Failed), "- База повреждена :", true},
    {"HeaderBreaksOff",
     [](TableFault& t) { writeFile(t.settings.warehouseTable, readFile(t.settings.warehouseTable).substr(0, 20)); },
     inProcess, static_cast<int>(ExportResult::Failed), "- База повреждена :", true},
    {"NoTableAtAll", [](TableFault& t) { writeFile(t.settings.warehouseTable, "not a table"); }, inProcess,
     static_cast<int>(ExportResult::Failed), "- База повреждена :", true},
    {"FieldsOtherThanTheFourFirst",
     [](TableFault& t) {
         DBFHandle dbf = DBFCreate(t.settings.warehouseTable.c_str());
         DBFAddField(dbf, "UNO", FTString, 20, 0);
         DBFAddField(dbf, "NAME", FTString, 10, 0);
         DBFWriteStringAttribute(dbf, 0, 0, "x");
         DBFWriteStringAttribute(dbf, 0, 1, "CORVINAX");
         DBFClose(dbf);
     },
     inProcess, static_cast<int>(ExportResult::Failed), "- База повреждена :", true},
    {"StopAskedForWhileTheNewTableIsBuilt", nullptr,
     [](TableFault& t) {
         t.view.onPump = [&t] {
             if (t.view.titles.back() == "Write..")
                 setStopRequest(SIGTERM);
         };
         try {
             return inProcess(t);
         } catch (const RunStopped& stop) {
             return stop.signal == SIGTERM ? 9 : -1;
         }
     },
     9, "", true},
};

class TableFaults : public TableFault, public ::testing::WithParamInterface<Fault> {};

TEST_P(TableFaults, LeaveTheTableWholeAndSayWhatFailed)
{
    const Fault& fault = GetParam();
    if (fault.arrange)
        fault.arrange(*this);
    const std::string before = readFile(settings.warehouseTable);
    const std::vector<std::string> files = filesBesideTheTable();

    EXPECT_EQ(fault.run(*this), fault.expected);

    if (fault.tableUnchanged) {
        EXPECT_EQ(readFile(settings.warehouseTable), before);
        EXPECT_EQ(log().find("- Записано в "), std::string::npos);  // never a count of rows not written
    } else {
        const test::DbfContents table = test::readWithDbfread(settings.warehouseTable);
        const auto others = std::count_if(table.rows.begin(), table.rows.end(), [](const std::string& row) {
            return row.find("|STOCK|") != std::string::npos;
        });
        EXPECT_EQ(others, 1500);
        EXPECT_NE(std::find(table.rows.begin(), table.rows.end(), "AA-7|06.12.2026 18:20:11|CORVINAX|ADDED Printer 7"),
                  table.rows.end());
        EXPECT_TRUE(table.deleted.empty());
    }
    if (*fault.logged) {
        EXPECT_NE(log().find(fault.logged), std::string::npos) << log();
    }
    std::vector<std::string> after = filesBesideTheTable();
    after.erase(std::remove(after.begin(), after.end(), "check.log"), after.end());
    EXPECT_EQ(after, files);  // no new file is left beside the table
}

INSTANTIATE_TEST_SUITE_P(Export, TableFaults, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& fault) { return std::string(fault.param.name); });

TEST_F(TableFault, RunsWithoutChangeKeepTheTableTheSameSize)
{
    std::vector<std::uintmax_t> sizes;
    for (int run = 0; run < 5; ++run) {
        ASSERT_EQ(exportNow(), ExportResult::Written);
        sizes.push_back(std::filesystem::file_size(settings.warehouseTable));
    }
    EXPECT_EQ(std::count(sizes.begin(), sizes.end(), sizes.front()), 5) << sizes.front() << " " << sizes.back();
}

TEST_F(TableFault, KeepsTheTablesPermissionsAndRemovesWhatAnEarlierExportLeft)
{
    ::chmod(settings.warehouseTable.c_str(), 0640);
    const auto anHourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    writeFile(dir.file(".corvinax-new-0a1b2c3d4e5f"), "left by an export that was killed");
    std::filesystem::last_write_time(dir.file(".corvinax-new-0a1b2c3d4e5f"), anHourAgo);
    // What only looks like it stays: an administrator's own notes, and a new file of a moment ago.
    writeFile(dir.file(".other.dbf.corvinax-notes.txt"), "mine");
    std::filesystem::last_write_time(dir.file(".other.dbf.corvinax-notes.txt"), anHourAgo);
    writeFile(dir.file(".corvinax-new-writtennow12"), "another export's, being written");
    ASSERT_EQ(exportNow(), ExportResult::Written);
    EXPECT_FALSE(test::fileExists(dir.file(".corvinax-new-0a1b2c3d4e5f")));
    EXPECT_EQ(readFile(dir.file(".other.dbf.corvinax-notes.txt")), "mine");
    EXPECT_TRUE(test::fileExists(dir.file(".corvinax-new-writtennow12")));
    EXPECT_EQ(std::filesystem::status(settings.warehouseTable).permissions(), std::filesystem::perms::owner_read |
                                                                                  std::filesystem::perms::owner_write |
                                                                                  std::filesystem::perms::group_read);
}

// Killed at any point, the export leaves the old table or the whole new one, and a rerun exports
// everything.
TEST_F(TableFault, AKillAtAnyPointLeavesOneOfTheTwoWholeTables)
{
    ResultNode& folder = tree.addTopLevel("/data/more");
    for (int i = computers; i < 10000; ++i) {
        ResultNode& pc = tree.addChild(folder, "Компьютер :PC-" + std::to_string(i));
        SetAdditional(pc, kMacAddr, "BB-" + std::to_string(i));
        tree.addChild(pc, "06.12.2026 18:20:11=ADDED Printer " + std::to_string(i));
    }
    const std::string before = readFile(settings.warehouseTable);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(exportInChild([] {}), static_cast<int>(ExportResult::Written));
    const auto duration = std::chrono::steady_clock::now() - start;
    const std::string after = readFile(settings.warehouseTable);
    ASSERT_NE(after, before);

    std::mt19937 random(12345);
    int oldSeen = 0;
    int newSeen = 0;
    for (int trial = 0; trial < 12; ++trial) {
        writeFile(settings.warehouseTable, before);
        const pid_t child = ::fork();
        if (child == 0) {
            exportNow();
            std::_Exit(0);
        }
        const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(duration) * (trial + 1) / 12;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (wait.count() + 1)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = readFile(settings.warehouseTable);
        ASSERT_TRUE(now == before || now == after) << "trial " << trial;
        (now == before ? oldSeen : newSeen) += 1;
        ASSERT_EQ(exportNow(), ExportResult::Written);
        EXPECT_EQ(readFile(settings.warehouseTable), after) << "the rerun, trial " << trial;
    }
    RecordProperty("old tables", oldSeen);  // both are seen: the kill falls before and after the rename
    RecordProperty("new tables", newSeen);
}

class WarehouseRun : public test::CheckRun {
protected:
    WarehouseRun()
    {
        settings.warehouseMode = true;
        settings.warehouseTable = dir.file("other.dbf");
        cfg = checkDir("cfg");
        settings.checkDirs[0].expectedCount = "1";
        writeFile(cfg + "/PC.ini", test::report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
        clock.set({2026, 12, 7, 9, 0, 0});
    }
    ~WarehouseRun() override { setStopRequest(0); }

    std::string cfg;
};

// A failed export leaves the state as it was, so the next run finds the same violators and exports
// them; the state found goes to the final save only with a written table.
TEST_F(WarehouseRun, FindingsReachTheStateOnlyWithACompletedExport)
{
    runner.StartCheck();
    EXPECT_EQ(runner.lastOutcome().exported, ExportResult::NotOpened);
    EXPECT_TRUE(view.savedState.empty());
    EXPECT_FALSE(test::fileExists(settingsPath));  // nothing reached the file during the run

    test::createWarehouseTable(settings.warehouseTable, {});
    runner.StartCheck();
    EXPECT_EQ(runner.lastOutcome().exported, ExportResult::Written);
    ASSERT_EQ(view.savedState.size(), 1u);
    EXPECT_EQ(view.savedState[0].section, cfg);
    EXPECT_EQ(view.savedState[0].key, "PC.ini");
    EXPECT_EQ(view.savedState[0].value, "07.12.2026 08:00:00");
    EXPECT_EQ(countNodesStartingWith("Компьютер :PC,"), 2);
    EXPECT_EQ(test::readWithDbfread(settings.warehouseTable).rows,
              std::vector<std::string>{"|07.12.2026 08:00:00|CORVINAX|ADDED Modem"});
}

// Unattended, the boxes of missing directories go to standard error: none of them rewrites the
// settings file.
TEST_F(WarehouseRun, BoxesDoNotWriteTheSettingsFile)
{
    for (int i = 0; i < 50; ++i)
        settings.checkDirs.push_back({dir.file("missing-" + std::to_string(i)), "0"});
    runner.StartCheck();
    EXPECT_EQ(view.messages.size(), 51u);  // 50 directories and the missing table
    EXPECT_FALSE(test::fileExists(settingsPath));
}

TEST_F(WarehouseRun, AStopEndsTheRunWithNothingChanged)
{
    test::createWarehouseTable(settings.warehouseTable, {});
    const std::string table = readFile(settings.warehouseTable);
    view.onPump = [] { setStopRequest(SIGTERM); };
    runner.StartCheck();
    EXPECT_EQ(runner.lastOutcome().stoppedBy, SIGTERM);
    EXPECT_FALSE(runner.lastOutcome().exported.has_value());
    EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "save and close"), 0);
    EXPECT_EQ(readFile(settings.warehouseTable), table);
    EXPECT_FALSE(test::fileExists(settingsPath));
}

}  // namespace
}  // namespace corvinax
