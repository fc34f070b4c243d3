#include "check/report_read_ahead.h"

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
    : m_directory(directory), m_names(names), m_limits{std::max<std::size_t>(limits.reports, 1), limits.bytes},
      m_slots(std::min(m_limits.reports, names.size()))
{
    try {
        for (std::size_t i = 0; i < std::min(kReaders, names.size()); ++i)
            m_threads.emplace_back([this] { readAll(); });
    } catch (const std::system_error&) {
        // No more threads to be had: those started read on.
    }
    if (m_threads.empty()) {
        const std::lock_guard lock(m_mutex);
        m_readersFailed = true;  // next() reads every report itself
    }
}

ReportReadAhead::~ReportReadAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool ReportReadAhead::next(std::string& bytes)
{
    std::unique_lock lock(m_mutex);
    const std::size_t index = m_taken;
    bytes.clear();
    if (index >= m_names.size())
        return false;
    Slot& slot = slotOf(index);
    // After a reader failed, a name that no reader has claimed is never read by them.
    while (!slot.ready && !(m_readersFailed && index >= m_claimed)) {
        m_wakeAt = std::min(index + kWakeBatch, m_names.size());
        m_takerWaiting = true;
        m_changed.wait(lock);
        m_takerWaiting = false;
    }
    ++m_taken;
    if (slot.ready) {
        --m_readyAhead;
        slot.ready = false;
        if (m_readersWaiting > 0)
            m_changed.notify_all();
        if (!slot.givenBack) {
            bytes.swap(slot.bytes);
            m_waitingBytes -= bytes.size();
            return slot.read;
        }
        slot.givenBack = false;
    }
    m_claimed = std::max(m_claimed, m_taken);
    lock.unlock();
    return m_directory.readWholeFile(m_names[index], bytes);
}

void ReportReadAhead::readAll()
{
    std::unique_lock lock(m_mutex);
    std::size_t index = 0;
    bool holding = false;  // a claimed name not yet finished
    try {
        while (claim(lock, index)) {
            holding = true;
            lock.unlock();
            // The slot is free: the report that had it before has been taken.
            Slot& slot = slotOf(index);
            slot.read = m_directory.readWholeFile(m_names[index], slot.bytes);
            lock.lock();
            finish(index);
            holding = false;
        }
    } catch (...) {
        // Out of memory, most likely. The reading stops; next() reads the rest itself.
        if (!lock.owns_lock())
            lock.lock();
        m_readersFailed = true;
        if (holding) {
            Slot& slot = slotOf(index);
            slot.bytes = std::string();
            slot.givenBack = true;
            finish(index);
        }
    }
    if (m_takerWaiting)
        m_changed.notify_all();  // no more reports come from this reader
}

// With the lock held: the next name to read, once there is room for it; false when there is none.
bool ReportReadAhead::claim(std::unique_lock<std::mutex>& lock, std::size_t& index)
{
    while (!m_stop && !m_readersFailed && m_claimed < m_names.size() && !mayClaim()) {
        if (m_takerWaiting && m_readyAhead > 0)
            m_changed.notify_all();  // the taker must not sleep on a reading that pauses
        ++m_readersWaiting;
        m_changed.wait(lock);
        --m_readersWaiting;
    }
    if (m_stop || m_readersFailed || m_claimed >= m_names.size())
        return false;
    index = m_claimed++;
    return true;
}

// With the lock held: the report at index is in its slot.
void ReportReadAhead::finish(std::size_t index)
{
    Slot& slot = slotOf(index);
    slot.ready = true;
    m_waitingBytes += slot.bytes.size();
    while (m_readyAhead < m_slots.size() && m_taken + m_readyAhead < m_names.size() &&
           slotOf(m_taken + m_readyAhead).ready)
        ++m_readyAhead;
    if (takerShouldWake())
        m_changed.notify_all();
}

bool ReportReadAhead::mayClaim() const
{
    return m_claimed - m_taken < m_slots.size() && (m_claimed == m_taken || m_waitingBytes < m_limits.bytes);
}

bool ReportReadAhead::takerShouldWake() const
{
    if (!m_takerWaiting || m_readyAhead == 0)
        return false;
    return m_taken + m_readyAhead >= m_wakeAt || m_claimed >= m_names.size() || !mayClaim();
}

}  // namespace corvinax
