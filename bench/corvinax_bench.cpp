// corvinax-bench [N ...]: generates a network of N reports (10000 when none is given) and measures,
// side by side, the raw read of every report, the everyday check run, the first run and the
// warehouse-mode process, each as a ratio to the raw read, with the peak memory of each.

#include "measure.h"
#include "network_generator.h"
#include "quiet_view.h"
#include "run_check.h"
#include "smb_bench.h"

#include "check/check_run.h"
#include "check/smart_decoder.h"
#include "findings/result_tree.h"
#include "output/warehouse_export.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/drive_mapper.h"
#include "platform/ring_file_reader.h"
#include "profile/profile_file.h"
#include "settings/settings.h"

#include <shapefil.h>

#include <chrono>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <algorithm>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace corvinax;
using bench::best;
using bench::inChild;
using bench::Measure;
using bench::QuietView;
using bench::runCheck;

Measure rawRead(const bench::GeneratedNetwork& network)
{
    return inChild([&network] {
        std::string bytes;
        std::size_t total = 0;
        for (const std::string& path : network.reportPaths) {
            readWholeFile(path, bytes);
            total += bytes.size();
        }
        return total == network.totalBytes ? 0 : 1;
    });
}

// The same reading as the run's reading thread does it: small files a batch at a time through the
// kernel's submission ring, the others one call at a time. Shown beside the raw read, which stays
// the measure of every ratio.
Measure ringRead(const bench::GeneratedNetwork& network)
{
    std::map<std::string, std::vector<std::string>> namesByDirectory;
    for (const std::string& path : network.reportPaths) {
        const std::size_t slash = path.rfind('/');
        namesByDirectory[path.substr(0, slash)].push_back(path.substr(slash + 1));
    }
    return inChild([&network, &namesByDirectory] {
        std::string bytes;
        std::size_t total = 0;
        for (const auto& [path, names] : namesByDirectory) {
            const OpenDirectory directory(path);
            RingFileReader ring(directory.descriptor());
            for (std::size_t first = 0; first < names.size(); first += RingFileReader::kBatch) {
                const std::size_t count = std::min(RingFileReader::kBatch, names.size() - first);
                const std::vector<RingFileReader::Result>& results = ring.read(names, first, count);
                for (std::size_t i = 0; i < count; ++i) {
                    if (!results[i].whole)
                        directory.readWholeFile(names[first + i], bytes);
                    total += results[i].whole ? results[i].bytes.size() : bytes.size();
                }
            }
        }
        return total == network.totalBytes ? 0 : 1;
    });
}

Measure checkRun(const std::string& settingsTemplate, const std::string& settingsPath)
{
    std::filesystem::copy_file(settingsTemplate, settingsPath, std::filesystem::copy_options::overwrite_existing);
    return inChild([settingsPath] { return runCheck(settingsPath); });
}

void createTable(const std::string& path)
{
    DBFHandle dbf = DBFCreate(path.c_str());
    DBFAddField(dbf, "UNO", FTString, 20, 0);
    DBFAddField(dbf, "GROUP", FTString, 20, 0);
    DBFAddField(dbf, "NAME", FTString, 10, 0);
    DBFAddField(dbf, "TEXT", FTString, 150, 0);
    DBFClose(dbf);
}

// The program itself, copied beside its own settings file, as a scheduler starts it.
Measure warehouse(const bench::GeneratedNetwork& network, bool withDirectories)
{
    const std::string directory = network.root + (withDirectories ? "/install" : "/startup");
    std::filesystem::create_directories(directory);
    std::filesystem::copy_file(CORVINAX_EXECUTABLE, directory + "/corvinax",
                               std::filesystem::copy_options::overwrite_existing);
    std::string settings;
    readWholeFile(network.settingsWithState, settings);
    if (!withDirectories)
        settings = settings.substr(0, settings.find("[CheckDirs]"));
    const std::string settingsPath = directory + "/corvinax.ini";
    replaceFileAtomically(settingsPath, settings);
    const std::string table = directory + "/other.dbf";
    createTable(table);
    ProfileFile(settingsPath).writeString("Config", "WorkTable", table);
    const std::string command = "cd '" + directory + "' && QT_QPA_PLATFORM=offscreen ./corvinax /S >/dev/null 2>&1";
    return inChild([&command] {
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    });
}

// The program started as a scheduler starts it, without a shell: wall time and peak resident set
// of each start, the median of ten.
void startup(const std::string& root)
{
    std::filesystem::create_directories(root + "/empty");
    const std::string settings = root + "/empty/corvinax.ini";
    const std::string table = root + "/empty/other.dbf";
    createTable(table);
    const struct {
        const char* name;
        std::vector<std::string> arguments;
    } starts[] = {
        {"/S on an empty network", {"--settings", settings, "/S"}},
        {"--version", {"--version"}},
    };
    for (const auto& start : starts) {
        std::vector<double> seconds;
        std::vector<long> peaks;
        for (int run = 0; run < 10; ++run) {
            // A settings file with a table and no directory: a run that has nothing to check.
            replaceFileAtomically(settings, "[Config]\r\nWorkTable=" + table + "\r\n");
            std::vector<char*> argv{const_cast<char*>(CORVINAX_EXECUTABLE)};
            for (const std::string& argument : start.arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            const auto begin = std::chrono::steady_clock::now();
            const pid_t child = ::fork();
            if (child == 0) {
                const int null = ::open("/dev/null", O_WRONLY);
                ::dup2(null, 1);
                ::dup2(null, 2);
                ::unsetenv("DISPLAY");
                ::unsetenv("QT_QPA_PLATFORM");
                ::execv(CORVINAX_EXECUTABLE, argv.data());
                ::_exit(127);
            }
            int status = 0;
            rusage usage{};
            ::wait4(child, &status, 0, &usage);
            seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
            peaks.push_back(usage.ru_maxrss);
        }
        std::sort(seconds.begin(), seconds.end());
        std::sort(peaks.begin(), peaks.end());
        std::printf("  %-24s median %6.1f ms (%.1f to %.1f), peak %5.1f MB\n", start.name, seconds[5] * 1000,
                    seconds.front() * 1000, seconds.back() * 1000, static_cast<double>(peaks[5]) / 1024.0);
    }
}

// The findings of a first run over n computers, five change lines each, as the export meets them.
void fillTree(ResultTree& tree, std::size_t n)
{
    ResultNode* folder = nullptr;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 5000 == 0)
            folder = &tree.addTopLevel("/srv/cfg/dept" + std::to_string(i / 5000));
        ResultNode& computer = tree.addChild(*folder, "Компьютер :PC-" + std::to_string(i) + ", Пользователь :ivanov");
        char mac[32];
        std::snprintf(mac, sizeof mac, "00-0C-29-%02zX-%02zX-%02zX", i >> 16 & 0xFF, i >> 8 & 0xFF, i & 0xFF);
        SetAdditional(computer, kMacAddr, mac);
        for (int line = 0; line < 5; ++line)
            tree.addChild(computer, "06.12.2026 18:2" + std::to_string(line) + ":11=ADDED Printer HP LaserJet " +
                                        std::to_string(line));
    }
}

// The export alone, into a table that already holds the last run's rows and 1,000 rows of the
// warehouse program: the steady state of a scheduler's every run.
Measure exportOnly(const std::string& root, const ResultTree& tree)
{
    const std::string table = root + "/export.dbf";
    createTable(table);
    DBFHandle dbf = DBFOpen(table.c_str(), "rb+");
    for (int row = 0; row < 1000; ++row) {
        DBFWriteStringAttribute(dbf, row, 0, std::to_string(row).c_str());
        DBFWriteStringAttribute(dbf, row, 1, "01.01.2026 10:00:00");
        DBFWriteStringAttribute(dbf, row, 2, "STOCK");
        DBFWriteStringAttribute(dbf, row, 3, "a row of the warehouse program");
    }
    DBFClose(dbf);
    Settings settings;
    settings.warehouseMode = true;
    settings.warehouseTable = table;
    settings.maxLines = 16;
    settings.maxDate = 100000;
    QuietView view;
    SystemClock clock;
    const auto exportOnce = [&] {
        return WarehouseExport(settings, tree, view, clock, {"Corvinax bench", "/bench"}).WriteMervoDBF() ==
                       ExportResult::Written
                   ? 0
                   : 1;
    };
    exportOnce();
    return inChild(exportOnce);
}

void report(const char* what, const Measure& m, double raw)
{
    std::printf("  %-38s %7.3f s  %5.2f x raw  (user %.3f s, system %.3f s)  %6.1f MB peak  (status %d)\n", what,
                m.seconds, m.seconds / raw, m.userSeconds, m.systemSeconds, static_cast<double>(m.peakKiB) / 1024.0,
                m.status);
}

}  // namespace

int main(int argc, char* argv[])
{
    // corvinax-bench --profile N: one everyday run in this process, for callgrind.
    if (argc == 3 && std::string(argv[1]) == "--profile") {
        char pattern[] = "/tmp/corvinax-profile-XXXXXX";
        const std::string root = ::mkdtemp(pattern);
        bench::NetworkShape shape;
        shape.reports = std::stoul(argv[2]);
        const bench::GeneratedNetwork network = bench::generateNetwork(root, shape);
        std::filesystem::copy_file(network.settingsWithState, root + "/run.ini");
        const int status = runCheck(root + "/run.ini");
        std::filesystem::remove_all(root);
        return status;
    }
    // corvinax-bench --startup: the program's start-up, as a scheduler meets it.
    if (argc == 2 && std::string(argv[1]) == "--startup") {
        char pattern[] = "/tmp/corvinax-startup-XXXXXX";
        const std::string root = ::mkdtemp(pattern);
        std::printf("start-up of the program (median of 10):\n");
        startup(root);
        std::filesystem::remove_all(root);
        return 0;
    }
    // corvinax-bench --export N ...: the warehouse export alone.
    if (argc >= 3 && std::string(argv[1]) == "--export") {
        for (int i = 2; i < argc; ++i) {
            char pattern[] = "/tmp/corvinax-export-XXXXXX";
            const std::string root = ::mkdtemp(pattern);
            ResultTree tree;
            fillTree(tree, std::stoul(argv[i]));
            std::printf("export of %s computers, five lines each:\n", argv[i]);
            const Measure idle = inChild([&tree] { return tree.count() > 0 ? 0 : 1; });
            std::printf("  the findings alone, before the export: %.1f MB\n", static_cast<double>(idle.peakKiB) / 1024.0);
            const Measure m = best([&] { return exportOnly(root, tree); });
            std::printf("  %7.3f s  (user %.3f s, system %.3f s)  %6.1f MB peak  table %.1f MB  (status %d)\n",
                        m.seconds, m.userSeconds, m.systemSeconds, static_cast<double>(m.peakKiB) / 1024.0,
                        static_cast<double>(std::filesystem::file_size(root + "/export.dbf")) / 1e6, m.status);
            std::filesystem::remove_all(root);
        }
        return 0;
    }
    // corvinax-bench --smb [--runs K] N ...: UNC check directories on a local Samba server.
    if (argc >= 2 && std::string(argv[1]) == "--smb") {
        int runs = 3;
        int first = 2;
        if (argc >= 4 && std::string(argv[2]) == "--runs") {
            runs = std::stoi(argv[3]);
            first = 4;
        }
        std::vector<std::size_t> counts;
        for (int i = first; i < argc; ++i)
            counts.push_back(std::stoul(argv[i]));
        if (counts.empty())
            counts = {2000, 10000};
        return bench::smbBench(counts, runs);
    }
    // corvinax-bench --run SETTINGS: one check run in this process over a kept network.
    if (argc == 3 && std::string(argv[1]) == "--run")
        return runCheck(argv[2]);
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::stoul(argv[i]));
    if (sizes.empty())
        sizes.push_back(10000);

    for (const std::size_t n : sizes) {
        char pattern[] = "/tmp/corvinax-bench-XXXXXX";
        const std::string root = ::mkdtemp(pattern);
        bench::NetworkShape shape;
        shape.reports = n;
        std::printf("N = %zu reports in %zu directories, generating in %s ...\n", n, shape.directories, root.c_str());
        const bench::GeneratedNetwork network = bench::generateNetwork(root, shape);
        std::printf("  %.1f MB of reports\n", static_cast<double>(network.totalBytes) / 1e6);

        rawRead(network);  // warms the file cache
        const Measure raw = best([&] { return rawRead(network); });
        report("raw read of every report", raw, raw.seconds);
        report("the same through the submission ring", best([&] { return ringRead(network); }), raw.seconds);
        report("everyday run (5 % violators)",
               best([&] { return checkRun(network.settingsWithState, root + "/run.ini"); }), raw.seconds);
        report("first run (every report a violator)",
               best([&] { return checkRun(network.settingsWithoutState, root + "/run.ini"); }), raw.seconds);
        // A report of 100 GB that is all hole, beside the others: named and passed over.
        const std::string huge = network.reportPaths.front().substr(0, network.reportPaths.front().rfind('/')) + "/HUGE.ini";
        {
            const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0644);
            (void)!::ftruncate(fd, off_t{100} << 30);
            ::close(fd);
        }
        report("everyday run with a 100 GB sparse report",
               best([&] { return checkRun(network.settingsWithState, root + "/run.ini"); }), raw.seconds);
        std::filesystem::remove(huge);
        const Measure startup = best([&] { return warehouse(network, false); });
        const Measure process = best([&] { return warehouse(network, true); });
        report("program start-up (nothing to check)", startup, raw.seconds);
        report("warehouse-mode process /S", process, raw.seconds);
        std::printf("  %-38s %7s    %5.2f x raw\n", "warehouse process minus start-up", "",
                    (process.seconds - startup.seconds) / raw.seconds);
        if (std::getenv("CORVINAX_BENCH_KEEP"))
            std::printf("  kept in %s\n", root.c_str());
        else
            std::filesystem::remove_all(root);
    }
    return 0;
}
