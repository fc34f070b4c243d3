#include "smb_bench.h"

#include "measure.h"
#include "network_generator.h"
#include "run_check.h"

#include "platform/smb_files.h"
#include "support/delay_relay.h"
#include "support/samba_server.h"

#include <algorithm>
#include <atomic>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace corvinax::bench {

namespace {

using Clock = std::chrono::steady_clock;

// The median of 200 exchanges of one byte through a relay of that delay in front of an echo.
double roundTripMs(std::chrono::microseconds delay)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    ::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
    ::listen(listener, 4);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length);
    std::thread echo([listener] {
        const int fd = ::accept(listener, nullptr, nullptr);
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        char byte;
        while (::read(fd, &byte, 1) == 1 && ::write(fd, &byte, 1) == 1) {
        }
        ::close(fd);
    });
    std::vector<double> times;
    {
        test::DelayRelay relay(ntohs(at.sin_port), delay);
        const int fd = test::connectLoopback(relay.port());
        char byte = 'x';
        for (int i = 0; i < 200; ++i) {
            const auto start = Clock::now();
            if (::write(fd, &byte, 1) != 1 || ::read(fd, &byte, 1) != 1)
                break;
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        ::close(fd);
    }
    echo.join();
    ::close(listener);
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

// \\127.0.0.1\cfg\<folder>\reports\deptD\name for the local root/reports/deptD/name.
std::string uncOf(const std::string& path, const std::string& localRoot, const std::string& uncRoot)
{
    std::string unc = uncRoot + path.substr(localRoot.size());
    std::replace(unc.begin(), unc.end(), '/', '\\');
    return unc;
}

// A plain SMB client reading the files one after the other: open, read, close.
Measure oneAtATime(const GeneratedNetwork& network, int port, const std::string& uncRoot)
{
    return inChild([&] {
        SmbFiles files([] { return SmbCredentials{}; }, 5000, port);
        std::string bytes;
        std::size_t total = 0;
        for (const std::string& path : network.reportPaths) {
            files.readUrl(SmbFiles::urlOf(uncOf(path, network.root, uncRoot)), bytes);
            total += bytes.size();
        }
        return total == network.totalBytes ? 0 : 1;
    });
}

struct RunMeasure {
    Measure measure;
    long ownPeakKiB = 0;    // the run's process alone, resident
    long totalPssKiB = 0;   // the run and its share readers together, shared pages counted once
    int mostReaders = 0;
};

long pssKiB(const std::string& process)
{
    std::ifstream rollup("/proc/" + process + "/smaps_rollup");
    std::string line;
    while (std::getline(rollup, line)) {
        if (line.starts_with("Pss:"))
            return std::stol(line.substr(4));
    }
    return 0;
}

// Samples, every 20 ms, the memory of this process and of the processes it started, shared pages
// divided among the processes that share them: what the run costs the machine.
class MemorySampler {
public:
    MemorySampler() : m_thread([this] { sample(); }) {}
    ~MemorySampler()
    {
        m_stop = true;
        m_thread.join();
    }
    long peakKiB() const { return m_peak; }
    int mostChildren() const { return m_children; }

private:
    void sample()
    {
        const std::string self = std::to_string(::getpid());
        while (!m_stop) {
            long total = pssKiB(self);
            int children = 0;
            std::ifstream list("/proc/" + self + "/task/" + self + "/children");
            std::string child;
            while (list >> child) {
                total += pssKiB(child);
                ++children;
            }
            m_peak = std::max(m_peak.load(), total);
            m_children = std::max(m_children.load(), children);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::atomic<bool> m_stop = false;
    std::atomic<long> m_peak = 0;
    std::atomic<int> m_children = 0;
    std::thread m_thread;
};

// The everyday run in a child process; readerProgram empty: one connection, one report at a time.
RunMeasure everyday(const GeneratedNetwork& network, int port, const std::string& readerProgram)
{
    const std::string settings = network.root + "/run.ini";
    const std::string memory = network.root + "/memory";
    std::filesystem::copy_file(network.settingsWithState, settings, std::filesystem::copy_options::overwrite_existing);
    RunMeasure result;
    result.measure = inChild([&] {
        SmbFiles files([] { return SmbCredentials{}; }, 5000, port);
        files.setReaderProgram(readerProgram);
        setRemoteFiles(&files);
        int status = 0;
        long total = 0;
        int children = 0;
        {
            MemorySampler sampler;
            status = runCheck(settings);
            total = sampler.peakKiB();
            children = sampler.mostChildren();
        }
        setRemoteFiles(nullptr);
        rusage own{};
        ::getrusage(RUSAGE_SELF, &own);
        std::ofstream(memory) << own.ru_maxrss << ' ' << total << ' ' << children;
        return status;
    });
    std::ifstream(memory) >> result.ownPeakKiB >> result.totalPssKiB >> result.mostReaders;
    return result;
}

RunMeasure bestRun(const std::function<RunMeasure()>& measure, int runs)
{
    RunMeasure result = measure();
    for (int i = 1; i < runs; ++i) {
        const RunMeasure again = measure();
        if (again.measure.seconds < result.measure.seconds)
            result = again;
    }
    return result;
}

double megabytes(long kib)
{
    return static_cast<double>(kib) / 1024.0;
}

}  // namespace

int smbBench(const std::vector<std::size_t>& sizes, int runs)
{
    test::SambaServer& server = test::SambaServer::instance();
    if (!server.running()) {
        std::printf("no Samba server: %s\n", server.why().c_str());
        return 1;
    }
    const std::string readers = CORVINAX_SHARE_READER;
    for (const std::size_t n : sizes) {
        const std::string folder = "bench" + std::to_string(n);
        const std::string uncRoot = "\\\\127.0.0.1\\cfg\\" + folder;
        NetworkShape shape;
        shape.reports = n;
        shape.listedRoot = uncRoot;
        const GeneratedNetwork network = generateNetwork(server.share("cfg") + "/" + folder, shape);
        std::printf("N = %zu reports (%.1f MB) in %zu directories of \\\\127.0.0.1\\cfg\n", n,
                    static_cast<double>(network.totalBytes) / 1e6, shape.directories);
        for (const int delayUs : {0, 1000}) {
            const std::chrono::microseconds delay(delayUs);
            test::DelayRelay relay(test::kSambaPort, delay);
            std::printf("  link: relay holding each chunk %d us each way, round trip measured %.2f ms\n", delayUs,
                        roundTripMs(delay));
            const Measure plain = best([&] { return oneAtATime(network, relay.port(), uncRoot); }, runs);
            std::printf("    %-44s %8.3f s  %5.1f MB peak  (status %d)\n", "plain client, one file at a time",
                        plain.seconds, megabytes(plain.peakKiB), plain.status);
            const RunMeasure single = bestRun([&] { return everyday(network, relay.port(), ""); }, runs);
            std::printf("    %-44s %8.3f s  %5.2f x faster  %5.1f MB peak  (status %d)\n",
                        "everyday run, one connection", single.measure.seconds, plain.seconds / single.measure.seconds,
                        megabytes(single.ownPeakKiB), single.measure.status);
            const RunMeasure pooled = bestRun([&] { return everyday(network, relay.port(), readers); }, runs);
            std::printf("    %-44s %8.3f s  %5.2f x faster  %5.1f MB peak; with its %d share readers %.1f MB"
                        "  (status %d)\n",
                        "everyday run, share readers", pooled.measure.seconds, plain.seconds / pooled.measure.seconds,
                        megabytes(pooled.ownPeakKiB), pooled.mostReaders, megabytes(pooled.totalPssKiB),
                        pooled.measure.status);
        }
        std::filesystem::remove_all(network.root);
    }
    return 0;
}

}  // namespace corvinax::bench
