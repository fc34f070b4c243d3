// Reports of a share read through several connections at once give what reading them one at a time
// gives, also when the server drops or stops answering in the middle of a directory. The Samba
// server of the tests sits behind a relay that can stop passing anything on or cut every connection.

#include "check_run_fixture.h"
#include "platform/smb_files.h"
#include "support/delay_relay.h"
#include "support/samba_server.h"

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace corvinax {
namespace {

using test::DelayRelay;
using test::readFile;
using test::report;
using test::SambaServer;
using test::signedReport;
using test::TempDir;
using test::writeFile;

constexpr int kReports = 120;
constexpr int kTimeoutMs = 1000;

std::string reportName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "PC-%03d.ini", i);
    return name;
}

std::string changeLine(int i, const std::string& what = "ADDED Modem")
{
    char line[64];
    std::snprintf(line, sizeof line, "07.12.2026 %02d:%02d:00=%s %d", 8 + i / 60, i % 60, what.c_str(), i);
    return line;
}

// One run's world: its settings file, log, tree and connection to the server.
struct ShareRun {
    ShareRun(int port, bool throughReaders)
        : network([this] { return SmbCredentials{settings.login, settings.password}; }, kTimeoutMs, port)
    {
        settings.smartFile = dir.file("Smart");
        settings.logFileName = dir.file("corvinax.log");
        settings.logFileSizeMB = 10;
        settings.noSignatureCheck = false;
        network.setReaderProgram(throughReaders ? CORVINAX_SHARE_READER : "");
        network.setReadConnections(4);
        setRemoteFiles(&network);
    }
    ~ShareRun() { setRemoteFiles(nullptr); }

    // What a person and a scheduler see of the run: the tree, the log and the state.
    std::vector<std::string> outcome()
    {
        std::vector<std::string> all;
        tree.forEachInDisplayOrder([&](ResultNode& node) {
            all.push_back(std::to_string(node.level()) + "|" + node.text +
                          (node.data ? "|" + node.data->reportPath : std::string()));
        });
        all.push_back("log: " + readFile(settings.logFileName));
        all.push_back("state: " + readFile(settingsPath));
        return all;
    }

    std::string stored(const std::string& section, const std::string& key) const
    {
        return test::storedIn(settingsPath, section, key);
    }

    TempDir dir;
    Settings settings;
    ResultTree tree;
    test::FakeRunView view;
    test::FakeClock clock;
    SmartDecoder smart{[this] { return settings.smartFile; }};
    std::string settingsPath = dir.file("corvinax.ini");
    SmbFiles network;
    CheckRunner runner{settings, settingsPath, tree, smart, view, clock, network, {"Corvinax", "/opt/corvinax"}};
};

class ShareReading : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SambaServer::instance().running())
            GTEST_SKIP() << SambaServer::instance().why();
        folder = "reading" + std::to_string(counter++);
        local = SambaServer::instance().share("cfg") + "/" + folder;
        std::filesystem::create_directories(local);
    }

    void writeReports(int count)
    {
        for (int i = 0; i < count; ++i)
            writeFile(local + "/" + reportName(i), signedReport(report("PC-" + std::to_string(i), {changeLine(i)})));
    }

    std::string unc() const { return "\\\\127.0.0.1\\cfg\\" + folder; }

    std::string folder;
    std::string local;
    DelayRelay relay{test::kSambaPort, std::chrono::microseconds(0)};
    static inline int counter = 0;
};

// Each case prepares the share and the settings; after the listing, and when the run takes its
// twentieth report, it may change the share or the readers.
struct SameAsOneAtATime {
    const char* name;
    std::function<void(const std::string& local, Settings&, const std::string& scratch)> prepare;
    std::function<void(const std::string& local)> afterListing;
    std::function<void()> atTwentiethReport = nullptr;
};

// The share reader processes this process started and has not yet reaped.
std::vector<pid_t> readerProcesses()
{
    std::vector<pid_t> found;
    DIR* proc = ::opendir("/proc");
    while (const dirent* entry = ::readdir(proc)) {
        std::ifstream status(std::string("/proc/") + entry->d_name + "/status");
        std::string line;
        std::string name;
        pid_t parent = 0;
        while (std::getline(status, line)) {
            if (line.starts_with("Name:\t"))
                name = line.substr(6);
            if (line.starts_with("PPid:\t"))
                parent = std::stoi(line.substr(6));
        }
        if (parent == ::getpid() && name.starts_with("corvinax-share"))
            found.push_back(std::stoi(entry->d_name));
    }
    ::closedir(proc);
    return found;
}

void killReaders()
{
    const std::vector<pid_t> readers = readerProcesses();
    EXPECT_FALSE(readers.empty());
    for (pid_t reader : readers)
        ::kill(reader, SIGKILL);
}

TEST_F(ShareReading, GivesWhatReadingOneAtATimeGives)
{
    const std::vector<SameAsOneAtATime> cases = {
        {"plain reports", nullptr, nullptr},
        {"through working copies",
         [](const std::string&, Settings& settings, const std::string& scratch) {
             settings.useWorkDir = true;
             settings.workDir = scratch + "/work";
             std::filesystem::create_directory(settings.workDir);
         },
         nullptr},
        {"a report removed after the listing", nullptr,
         [](const std::string& share) { std::filesystem::remove(share + "/" + reportName(5)); }},
        {"a report rewritten after the listing", nullptr,
         [](const std::string& share) {
             writeFile(share + "/" + reportName(6), signedReport(report("PC-6", {changeLine(6, "REMOVED Disk")})));
         }},
        {"an empty report, a large one and one past the read limit",
         [](const std::string& share, Settings&, const std::string&) {
             writeFile(share + "/" + reportName(7), "");
             std::vector<std::string> lines;
             for (int line = 0; line < 5000; ++line)
                 lines.push_back(changeLine(line % 600, "ADDED Printer with a long description"));
             writeFile(share + "/" + reportName(8), signedReport(report("PC-8", lines)));
             const int fd = ::open((share + "/" + reportName(9)).c_str(), O_WRONLY | O_TRUNC);
             ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxReadBytes) + 1), 0);
             ::close(fd);
         },
         nullptr},
        {"the readers killed in the middle", nullptr, nullptr, killReaders},
        {"no signature check",
         [](const std::string& share, Settings& settings, const std::string&) {
             settings.noSignatureCheck = true;
             writeFile(share + "/" + reportName(7), "");
         },
         nullptr},
    };
    for (const SameAsOneAtATime& c : cases) {
        SCOPED_TRACE(c.name);
        // Through the readers, one at a time, and with a reader program that is missing.
        std::vector<std::string> outcomes[3];
        for (const int way : {0, 1, 2}) {
            writeReports(kReports);
            ShareRun run(relay.port(), way == 0);
            if (way == 2)
                run.network.setReaderProgram(local + "/no-such-program");
            run.settings.checkDirs.push_back({unc(), std::to_string(kReports)});
            if (c.prepare)
                c.prepare(local, run.settings, run.dir.path());
            int pumps = 0;
            run.view.onPump = [&] {
                ++pumps;
                if (pumps == 1 && c.afterListing)
                    c.afterListing(local);
                if (pumps == kReports + 20 && c.atTwentiethReport && way == 0)
                    c.atTwentiethReport();
            };
            run.runner.StartCheck();
            outcomes[way] = run.outcome();
        }
        EXPECT_EQ(outcomes[0], outcomes[1]);
        EXPECT_EQ(outcomes[2], outcomes[1]);
        EXPECT_GE(outcomes[0].size(), 5u);
    }
}

int readersLeft()
{
    return static_cast<int>(readerProcesses().size());
}

// Reports read whole carry their own line; the others could not be read and carry the line of a
// report without its signature. Which of the two each report got depends on when the server went.
void expectEveryReportReadOrUnreadable(ShareRun& run, int reports, int readBefore)
{
    int read = 0;
    int unreadable = 0;
    run.tree.forEachInDisplayOrder([&](ResultNode& node) {
        if (node.level() != 2)
            return;
        if (node.text.starts_with("Файл не прочитан: "))
            ++unreadable;
        else if (node.text.find("=Corvinax : нет или неверна подпись") != std::string::npos)
            return;  // beside it: an empty report's signature is broken
        else if (node.text.find("=ADDED Modem") != std::string::npos)
            ++read;
        else
            ADD_FAILURE() << node.text;
    });
    // Each report was read, or says it could not be, or was given up with its server: those the
    // directory's line counts, without a line of their own.
    const int givenUp = reports - read - unreadable;
    EXPECT_GE(givenUp, 0);
    EXPECT_GE(read, readBefore);
    EXPECT_GT(reports - read, 0);
    // The directory says that its reading was cut short, and how many reports it kept back.
    const std::string said = "Чтение прервано: сервер не отвечает, не прочитано ";
    const std::string whole = " из " + std::to_string(reports);
    int notRead = -1;
    run.tree.forEachInDisplayOrder([&](ResultNode& node) {
        if (node.level() == 1 && node.text.starts_with(said) && node.text.ends_with(whole))
            notRead = std::stoi(node.text.substr(said.size()));
    });
    EXPECT_GT(notRead, 0);
    EXPECT_GE(notRead, givenUp);
    EXPECT_LE(notRead, givenUp + unreadable);
    EXPECT_EQ(run.runner.lastOutcome().interruptedDirectories, 1u);
}

// A server that goes in the middle of a directory: the run ends within about one timeout, not one
// a report; once the server is back, the next run reads every report that could not be read.
TEST_F(ShareReading, AServerThatGoesInTheMiddleCostsOneTimeoutAndNothingIsLost)
{
    constexpr int kMany = 300;
    for (const bool stall : {false, true}) {
        SCOPED_TRACE(stall ? "the server stops answering" : "the connections are cut");
        writeReports(kMany);
        ShareRun run(relay.port(), true);
        run.settings.checkDirs.push_back({unc(), std::to_string(kMany)});
        bool gone = false;
        run.view.onPump = [&] {
            // The run takes its tenth report: the nine before it were read whatever the timing.
            if (!gone && run.view.gauge1.maximum == kMany - 1 && run.view.gauge1.position == 9) {
                gone = true;
                stall ? relay.stall() : relay.cut();
            }
        };
        const auto start = std::chrono::steady_clock::now();
        run.runner.StartCheck();
        const auto took = std::chrono::steady_clock::now() - start;
        // One at a time the 290 reports left would each wait the timeout of a second.
        EXPECT_LT(took, std::chrono::milliseconds(kTimeoutMs * 20));
        expectEveryReportReadOrUnreadable(run, kMany, 9);
        EXPECT_EQ(readersLeft(), 0);

        relay.resume();
        run.clock.set({2026, 12, 7, 10, 0, 0});
        run.runner.StartCheck();
        for (int i = 0; i < kMany; ++i)
            EXPECT_EQ(run.stored(unc(), reportName(i)), changeLine(i).substr(0, 19)) << reportName(i);
        std::filesystem::remove_all(local);
        std::filesystem::create_directories(local);
    }
}

// Two directories of one share: the connections are made once for the run and are all closed at
// its end, with no reader process left behind.
TEST_F(ShareReading, ConnectionsAreMadeOnceARunAndClosedAtItsEnd)
{
    writeReports(60);
    const std::string second = local + "-b";
    std::filesystem::create_directories(second);
    for (int i = 0; i < 60; ++i)
        writeFile(second + "/" + reportName(i), signedReport(report("B-" + std::to_string(i), {changeLine(i)})));
    ShareRun run(relay.port(), true);
    run.settings.checkDirs.push_back({unc(), "60"});
    run.settings.checkDirs.push_back({unc() + "-b", "60"});
    int readersDuringRun = 0;
    run.view.onPump = [&] { readersDuringRun = std::max(readersDuringRun, readersLeft()); };
    run.runner.StartCheck();
    EXPECT_EQ(readersDuringRun, 4);
    EXPECT_EQ(readersLeft(), 0);
    // The run's own connection for the listings, and one a reader.
    EXPECT_EQ(relay.accepted(), 1 + 4);
    EXPECT_EQ(run.tree.topLevel().size(), 4u);  // start, two directories, end
}

}  // namespace
}  // namespace corvinax
