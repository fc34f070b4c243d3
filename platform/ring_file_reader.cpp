#include "platform/ring_file_reader.h"


#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/io_uring.h>
#include <linux/time_types.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace corvinax {

namespace {

// Per file: open into a slot of the ring's own file table, read, read again to see the end (a
// reading that ended in an error after some bytes gives those bytes, and only the next one
// tells), a bound on each reading, close.
constexpr unsigned kEntriesPerFile = 6;
enum Step : unsigned { Open, Read, Bound, ReadEnd, EndBound, Close };

// A pipe put in place of a report is never waited on: the ring would wait for a writer, so every
// reading is bounded, and one that takes longer is left to the plain reading (which refuses it).
constexpr __kernel_timespec kReadBound{2, 0};

std::uint64_t tag(std::size_t slot, unsigned step)
{
    return slot * kEntriesPerFile + step;
}

unsigned loadAcquire(unsigned* at)
{
    return std::atomic_ref<unsigned>(*at).load(std::memory_order_acquire);
}

void storeRelease(unsigned* at, unsigned value)
{
    std::atomic_ref<unsigned>(*at).store(value, std::memory_order_release);
}

}  // namespace

RingFileReader::RingFileReader(int directoryFd)
    : m_directoryFd(directoryFd), m_nativeNames(kBatch), m_stepResults(kBatch * kEntriesPerFile), m_results(kBatch)
{
    if (m_directoryFd >= 0 && !setUp())
        tearDown();
}

RingFileReader::~RingFileReader()
{
    tearDown();
}

bool RingFileReader::setUp()
{
    io_uring_params params{};
    m_ring = static_cast<int>(::syscall(__NR_io_uring_setup, kBatch * kEntriesPerFile, &params));
    if (m_ring < 0 || !(params.features & IORING_FEAT_SINGLE_MMAP) || !(params.features & IORING_FEAT_NODROP))
        return false;
    m_ringsSize = std::max<std::size_t>(params.sq_off.array + params.sq_entries * sizeof(unsigned),
                                        params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe));
    m_rings =
        ::mmap(nullptr, m_ringsSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, m_ring, IORING_OFF_SQ_RING);
    if (m_rings == MAP_FAILED) {
        m_rings = nullptr;
        return false;
    }
    m_entriesSize = params.sq_entries * sizeof(io_uring_sqe);
    void* entries =
        ::mmap(nullptr, m_entriesSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, m_ring, IORING_OFF_SQES);
    if (entries == MAP_FAILED)
        return false;
    m_entries = static_cast<io_uring_sqe*>(entries);
    char* rings = static_cast<char*>(m_rings);
    m_sqHead = reinterpret_cast<unsigned*>(rings + params.sq_off.head);
    m_sqTail = reinterpret_cast<unsigned*>(rings + params.sq_off.tail);
    m_sqMask = *reinterpret_cast<unsigned*>(rings + params.sq_off.ring_mask);
    m_sqArray = reinterpret_cast<unsigned*>(rings + params.sq_off.array);
    m_cqHead = reinterpret_cast<unsigned*>(rings + params.cq_off.head);
    m_cqTail = reinterpret_cast<unsigned*>(rings + params.cq_off.tail);
    m_cqMask = *reinterpret_cast<unsigned*>(rings + params.cq_off.ring_mask);
    m_completions = reinterpret_cast<io_uring_cqe*>(rings + params.cq_off.cqes);

    // An empty file table of the ring, one place per file of a batch.
    io_uring_rsrc_register files{};
    files.nr = kBatch;
    files.flags = IORING_RSRC_REGISTER_SPARSE;
    if (::syscall(__NR_io_uring_register, m_ring, IORING_REGISTER_FILES2, &files, sizeof files) != 0)
        return false;
    m_buffers.reset(new char[kBatch * kFileLimit]);
    return true;
}

void RingFileReader::tearDown()
{
    if (m_entries)
        ::munmap(m_entries, m_entriesSize);
    if (m_rings)
        ::munmap(m_rings, m_ringsSize);
    if (m_ring >= 0)
        ::close(m_ring);
    m_entries = nullptr;
    m_rings = nullptr;
    m_ring = -1;
    // Requests that may still be under way keep their buffers: the kernel would write into them.
    if (m_requestsLeft)
        (void)m_buffers.release();
}

io_uring_sqe* RingFileReader::nextEntry()
{
    const unsigned index = (*m_sqTail + m_queued) & m_sqMask;
    m_sqArray[index] = index;
    ++m_queued;
    io_uring_sqe* entry = &m_entries[index];
    std::memset(entry, 0, sizeof *entry);
    return entry;
}

void RingFileReader::prepareFile(std::size_t slot, const std::string& nativeName)
{
    io_uring_sqe* open = nextEntry();
    open->opcode = IORING_OP_OPENAT;
    open->fd = m_directoryFd;
    open->addr = reinterpret_cast<std::uint64_t>(nativeName.c_str());
    open->open_flags = O_RDONLY | O_NONBLOCK;  // a file of the ring's table is never inherited anyway
    open->file_index = static_cast<std::uint32_t>(slot + 1);
    open->flags = IOSQE_IO_LINK;
    open->user_data = tag(slot, Open);

    // Hard links: the reading ends short of its buffer, which would break a plain link, and the
    // close follows whatever the readings gave.
    queueBoundedRead(slot, Read, Bound);
    queueBoundedRead(slot, ReadEnd, EndBound);

    io_uring_sqe* close = nextEntry();
    close->opcode = IORING_OP_CLOSE;
    close->file_index = static_cast<std::uint32_t>(slot + 1);
    close->user_data = tag(slot, Close);
}

// Reads on from where the file stands, so that the second reading starts where the first ended.
void RingFileReader::queueBoundedRead(std::size_t slot, unsigned readStep, unsigned boundStep)
{
    io_uring_sqe* read = nextEntry();
    read->opcode = IORING_OP_READ;
    read->fd = static_cast<std::int32_t>(slot);
    read->addr = reinterpret_cast<std::uint64_t>(m_buffers.get() + slot * kFileLimit);
    read->len = static_cast<std::uint32_t>(kFileLimit);
    read->off = static_cast<std::uint64_t>(-1);
    read->flags = IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;
    read->user_data = tag(slot, readStep);

    io_uring_sqe* bound = nextEntry();
    bound->opcode = IORING_OP_LINK_TIMEOUT;
    bound->addr = reinterpret_cast<std::uint64_t>(&kReadBound);
    bound->len = 1;
    bound->flags = IOSQE_IO_HARDLINK;
    bound->user_data = tag(slot, boundStep);
}

// Every entry gives one completion, a cancelled one as well: the batch is done when all came.
bool RingFileReader::submitAndWait(unsigned entries)
{
    storeRelease(m_sqTail, *m_sqTail + m_queued);
    unsigned toSubmit = m_queued;
    m_queued = 0;
    m_requestsLeft = true;
    unsigned completed = 0;
    while (completed < entries) {
        const long entered =
            ::syscall(__NR_io_uring_enter, m_ring, toSubmit, entries - completed, IORING_ENTER_GETEVENTS, nullptr, 0);
        if (entered < 0 && errno != EINTR)
            return false;
        if (entered > 0)
            toSubmit -= std::min<unsigned>(toSubmit, static_cast<unsigned>(entered));
        unsigned head = *m_cqHead;
        const unsigned tail = loadAcquire(m_cqTail);
        for (; head != tail; ++head, ++completed) {
            const io_uring_cqe& completion = m_completions[head & m_cqMask];
            if (completion.user_data < m_stepResults.size())
                m_stepResults[completion.user_data] = completion.res;
        }
        storeRelease(m_cqHead, head);
    }
    m_requestsLeft = false;
    return true;
}

const std::vector<RingFileReader::Result>& RingFileReader::read(const std::vector<std::string>& names,
                                                                std::size_t first, std::size_t count)
{
    count = std::min(count, kBatch);
    m_queued = 0;
    std::fill(m_results.begin(), m_results.end(), Result{});
    if (!valid())
        return m_results;
    unsigned files = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = names[first + i];
        std::fill_n(m_stepResults.begin() + static_cast<std::ptrdiff_t>(tag(i, Open)), kEntriesPerFile, -ECANCELED);
        // A name is a name in the directory, never a way out of it.
        if (name.empty() || name.find('/') != std::string::npos)
            continue;
        m_nativeNames[i] = name;
        prepareFile(i, m_nativeNames[i]);
        ++files;
    }
    if (files > 0 && !submitAndWait(files * kEntriesPerFile)) {
        tearDown();
        return m_results;
    }
    std::size_t wouldWait = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int got = m_stepResults[tag(i, Read)];
        wouldWait += got == -EAGAIN;
        // An empty file is left to the plain reading too: a pipe without a writer reads as empty.
        // Whole only when the second reading found the end and neither bound was reached: a
        // reading whose bound was not simply disarmed by its end may have been cut short.
        const bool whole = got > 0 && static_cast<std::size_t>(got) < kFileLimit &&
                           m_stepResults[tag(i, ReadEnd)] == 0 && m_stepResults[tag(i, Bound)] == -ECANCELED &&
                           m_stepResults[tag(i, EndBound)] == -ECANCELED;
        if (whole)
            m_results[i] = {true, std::string_view(m_buffers.get() + i * kFileLimit, static_cast<std::size_t>(got))};
    }
    // A file system that cannot be read without waiting refuses every reading opened without
    // blocking: there the ring only adds to the plain reading.
    if (files > 1 && wouldWait == files)
        tearDown();
    return m_results;
}

}  // namespace corvinax
