#pragma once

// The reports of a directory read on a second thread, a few ahead of the run: opening and reading
// a file is mostly the system's work, and the run's own work on the reports before it goes on
// meanwhile, so a run over thousands of reports takes little more than their reading alone.

#include "platform/atomic_file.h"
#include "platform/read_ahead.h"
#include "platform/ring_file_reader.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvinax {

// How far the reading may run ahead: at most `reports` reports, and beyond the first one at most
// `bytes` bytes, wait to be taken; and whether small files are read through the kernel's ring where
// the system offers one (else one call at a time, as where it offers none).
struct ReadAheadLimits {
    std::size_t reports = 64;
    std::size_t bytes = std::size_t{16} << 20;
    bool throughRing = true;
};

// One reading thread: on a machine of two processors a second one slowed the run that it should
// feed.
class ReportReadAhead final : public ReadAhead {
public:
    // Reads the files of those names in the directory. Both must outlive this object.
    ReportReadAhead(const OpenDirectory& directory, const std::vector<std::string>& names, ReadAheadLimits limits = {});
    // Stops the reading and waits for a read under way.
    ~ReportReadAhead() override;
    ReportReadAhead(const ReportReadAhead&) = delete;
    ReportReadAhead& operator=(const ReportReadAhead&) = delete;

    // The next name's file, in the order of the names, as directory.readWholeFile gives it: false
    // when it cannot be read, and past the last name.
    bool next(std::string& bytes) override;

private:
    struct Slot {
        std::string bytes;
        bool read = false;  // what readWholeFile returned
    };

    void readAll();
    std::size_t claim(std::size_t index, std::size_t batch);
    bool waitForRoom(std::size_t slots);
    void readOne(std::size_t index, const RingFileReader::Result& fromRing);
    bool readerMayGoOn() const;
    Slot& slotOf(std::size_t index) { return m_slots[index % m_slots.size()]; }

    const OpenDirectory& m_directory;
    const std::vector<std::string>& m_names;
    const ReadAheadLimits m_limits;
    std::vector<Slot> m_slots;  // name i in slot i % m_slots.size()

    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Guarded by m_mutex. The names from m_taken to m_read wait in their slots.
    std::size_t m_read = 0;   // names read by the thread
    std::size_t m_taken = 0;  // names given out by next()
    std::size_t m_waitingBytes = 0;
    std::size_t m_wakeAt = 0;      // a waiting next() is woken when this many names are read
    std::size_t m_roomWanted = 1;  // free slots the thread waits for
    bool m_takerWaiting = false;
    bool m_readerWaiting = false;
    bool m_readerGone = false;  // the thread failed or never started: next() reads what is left itself
    bool m_stop = false;

    std::thread m_thread;  // last, so that it starts when everything else is ready
};

}  // namespace corvinax
