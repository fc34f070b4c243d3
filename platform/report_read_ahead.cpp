#include "platform/report_read_ahead.h"

#include <algorithm>
#include <system_error>

namespace corvinax {

namespace {

// A taker that has to wait sleeps until this many more reports are ready: waking it for every
// report would cost about as much as the reading it waits for.
constexpr std::size_t kWakeBatch = 8;

}  // namespace

ReportReadAhead::ReportReadAhead(const OpenDirectory& directory, const std::vector<std::string>& names,
                                 ReadAheadLimits limits)
    : m_directory(directory),
      m_names(names), m_limits{std::max<std::size_t>(limits.reports, 1), limits.bytes, limits.throughRing},
      m_slots(std::min(m_limits.reports, names.size()))
{
    if (names.empty())
        return;
    try {
        m_thread = std::thread([this] { readAll(); });
    } catch (const std::system_error&) {
        m_readerGone = true;  // no thread to be had: every report is read when it is asked for
    }
}

ReportReadAhead::~ReportReadAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool ReportReadAhead::next(std::string& bytes)
{
    std::unique_lock lock(m_mutex);
    const std::size_t index = m_taken;
    bytes.clear();
    if (index >= m_names.size())
        return false;
    while (m_read <= index && !m_readerGone) {
        m_wakeAt = std::min(index + kWakeBatch, m_names.size());
        m_takerWaiting = true;
        m_changed.wait(lock);
        m_takerWaiting = false;
    }
    ++m_taken;
    if (index >= m_read) {
        lock.unlock();
        return m_directory.readWholeFile(m_names[index], bytes);
    }
    Slot& slot = slotOf(index);
    bytes.swap(slot.bytes);
    slot.bytes.clear();
    m_waitingBytes -= bytes.size();
    if (m_readerWaiting && readerMayGoOn())
        m_changed.notify_all();
    return slot.read;
}

void ReportReadAhead::readAll()
{
    try {
        RingFileReader ring(m_limits.throughRing ? m_directory.descriptor() : -1);
        std::size_t index = 0;
        while (index < m_names.size()) {
            const std::size_t count = claim(index, ring.valid() ? RingFileReader::kBatch : 1);
            if (count == 0)
                return;
            const std::vector<RingFileReader::Result>& results = ring.read(m_names, index, count);
            for (std::size_t i = 0; i < count; ++i, ++index) {
                if (i > 0 && !waitForRoom(0))
                    return;
                readOne(index, results[i]);
            }
        }
    } catch (...) {
        // Out of memory, most likely: next() reads what is left itself.
        const std::lock_guard lock(m_mutex);
        m_readerGone = true;
        m_changed.notify_all();
    }
}

// The names from index on that may be read now, at most batch of them: 0 when stopped. With
// several slots free the thread waits for half of them, so that a slow run does not make it
// read one report at a time.
std::size_t ReportReadAhead::claim(std::size_t index, std::size_t batch)
{
    const std::size_t left = m_names.size() - index;
    const std::size_t wanted = std::max<std::size_t>(1, std::min({batch, m_slots.size() / 2, left}));
    if (!waitForRoom(wanted))
        return 0;
    const std::lock_guard lock(m_mutex);
    // A run waiting for a report already read is not left asleep through the next batch.
    if (m_takerWaiting && m_read > m_taken)
        m_changed.notify_all();
    return std::min({batch, left, m_slots.size() - (m_read - m_taken)});
}

// Waits until that many slots are free and the bytes waiting allow one more report; false when
// the reading is to stop.
bool ReportReadAhead::waitForRoom(std::size_t slots)
{
    std::unique_lock lock(m_mutex);
    m_roomWanted = slots;
    while (!m_stop && !readerMayGoOn()) {
        if (m_takerWaiting)
            m_changed.notify_all();  // the taker must not sleep on a reading that pauses
        m_readerWaiting = true;
        m_changed.wait(lock);
        m_readerWaiting = false;
    }
    return !m_stop;
}

// Its slot is free: the report that had it before has been taken.
void ReportReadAhead::readOne(std::size_t index, const RingFileReader::Result& fromRing)
{
    Slot& slot = slotOf(index);
    if (fromRing.whole) {
        slot.bytes.assign(fromRing.bytes);
        slot.read = true;
    } else {
        slot.read = m_directory.readWholeFile(m_names[index], slot.bytes);
    }
    const std::lock_guard lock(m_mutex);
    m_read = index + 1;
    m_waitingBytes += slot.bytes.size();
    if (m_takerWaiting && (m_read >= m_wakeAt || !readerMayGoOn()))
        m_changed.notify_all();
}

bool ReportReadAhead::readerMayGoOn() const
{
    const std::size_t free = m_slots.size() - (m_read - m_taken);
    return free >= m_roomWanted && (m_read == m_taken || m_waitingBytes < m_limits.bytes);
}

}  // namespace corvinax
