#pragma once

// Small files of one directory opened and read through the kernel's submission ring, a batch at a
// time. Read one call at a time a report costs four system calls (open, size, read, close) and one
// more to find its end; where a system call costs microseconds, as on virtual machines, those
// calls cost more than the reading itself, and the ring does a whole batch in one call.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct io_uring_sqe;
struct io_uring_cqe;

namespace corvinax {

class RingFileReader {
public:
    static constexpr std::size_t kBatch = 32;
    // A file that fills this buffer is left to the plain reading, which has no limit.
    static constexpr std::size_t kFileLimit = std::size_t{64} << 10;

    // What the ring made of one file. Anything it cannot settle for certain (a file missing, empty,
    // not openable, as large as the limit, a reading that took too long) is left to the caller,
    // who reads that file the plain way; `bytes` stays valid until the next read(). Unlike the
    // plain reading, which refuses anything but a regular file, the ring cannot tell a pipe put in
    // place of a report from a file: what a writer wrote into such a pipe and closed is given as
    // the report; a pipe that is empty or still held open is left to the plain reading.
    struct Result {
        bool whole = false;
        std::string_view bytes;
    };

    // The files are opened relative to that directory descriptor, which must outlive this object.
    // Not valid() where the system offers no ring (an older kernel, a sandbox that forbids it).
    explicit RingFileReader(int directoryFd);
    ~RingFileReader();
    RingFileReader(const RingFileReader&) = delete;
    RingFileReader& operator=(const RingFileReader&) = delete;

    bool valid() const { return m_ring >= 0; }

    // Reads the files of names[first, first + count), count at most kBatch. A ring that fails
    // beyond a single file turns not valid() and leaves every file of that batch to the caller.
    const std::vector<Result>& read(const std::vector<std::string>& names, std::size_t first, std::size_t count);

private:
    bool setUp();
    void tearDown();
    io_uring_sqe* nextEntry();
    bool submitAndWait(unsigned entries);
    void prepareFile(std::size_t slot, const std::string& nativeName);
    void queueBoundedRead(std::size_t slot, unsigned readStep, unsigned boundStep);

    int m_directoryFd;
    int m_ring = -1;
    void* m_rings = nullptr;  // submission and completion rings, one mapping
    std::size_t m_ringsSize = 0;
    io_uring_sqe* m_entries = nullptr;
    std::size_t m_entriesSize = 0;
    unsigned* m_sqHead = nullptr;
    unsigned* m_sqTail = nullptr;
    unsigned m_sqMask = 0;
    unsigned* m_sqArray = nullptr;
    unsigned* m_cqHead = nullptr;
    unsigned* m_cqTail = nullptr;
    unsigned m_cqMask = 0;
    io_uring_cqe* m_completions = nullptr;
    unsigned m_queued = 0;        // entries filled in since the last submission
    bool m_requestsLeft = false;  // the kernel may still write into the buffers

    // kBatch buffers of kFileLimit bytes, left uninitialised: a report uses a page or two of its
    // buffer, and only the pages written into are ever given memory.
    std::unique_ptr<char[]> m_buffers;
    std::vector<std::string> m_nativeNames;
    std::vector<int> m_stepResults;  // the completions of a batch, by file and step
    std::vector<Result> m_results;
};

}  // namespace corvinax
