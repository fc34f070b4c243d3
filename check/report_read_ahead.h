#pragma once

// The reports of a directory read on other threads, a few ahead of the run: opening and reading a
// file is mostly the system's work, and the run's own work on the reports before it goes on
// meanwhile, so a run over thousands of reports takes little more than their reading alone.

#include "profile/atomic_file.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvinax {

// How far the reading may run ahead: at most `reports` reports, and beyond the first one at most
// `bytes` bytes, wait to be taken.
struct ReadAheadLimits {
    std::size_t reports = 64;
    std::size_t bytes = std::size_t{16} << 20;
};

class ReportReadAhead {
public:
    // Reads the files of those names in the directory. Both must outlive this object.
    ReportReadAhead(const OpenDirectory& directory, const std::vector<std::string>& names, ReadAheadLimits limits = {});
    // Stops the reading and waits for the reads under way.
    ~ReportReadAhead();
    ReportReadAhead(const ReportReadAhead&) = delete;
    ReportReadAhead& operator=(const ReportReadAhead&) = delete;

    // The next name's file, in the order of the names, as directory.readWholeFile gives it: false
    // when it cannot be read, and past the last name.
    bool next(std::string& bytes);

    // One reader: on a machine of two processors a second one slowed the run that it should feed.
    static constexpr std::size_t kReaders = 1;

private:
    struct Slot {
        std::string bytes;
        bool ready = false;      // its report may be taken
        bool read = false;       // what readWholeFile returned
        bool givenBack = false;  // its reader failed: next() reads the report itself
    };

    void readAll();
    bool claim(std::unique_lock<std::mutex>& lock, std::size_t& index);
    void finish(std::size_t index);
    bool mayClaim() const;
    Slot& slotOf(std::size_t index) { return m_slots[index % m_slots.size()]; }
    bool takerShouldWake() const;

    const OpenDirectory& m_directory;
    const std::vector<std::string>& m_names;
    const ReadAheadLimits m_limits;
    std::vector<Slot> m_slots;  // name i in slot i % m_slots.size()

    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Guarded by m_mutex.
    std::size_t m_claimed = 0;     // names given to the readers
    std::size_t m_taken = 0;       // names given out by next()
    std::size_t m_readyAhead = 0;  // ready slots in a row from the next to be taken
    std::size_t m_waitingBytes = 0;
    std::size_t m_wakeAt = 0;  // a waiting next() is woken when this many names are ready in a row
    std::size_t m_readersWaiting = 0;
    bool m_takerWaiting = false;
    bool m_readersFailed = false;  // a reader failed: what no reader has claimed, next() reads itself
    bool m_stop = false;

    std::vector<std::thread> m_threads;  // last, so that they start when everything else is ready
};

}  // namespace corvinax
