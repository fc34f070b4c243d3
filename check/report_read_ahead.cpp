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
    : m_directory(directory),
      m_names(names),
      m_limits{std::max<std::size_t>(limits.reports, 1), limits.bytes},
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
    if (m_readerWaiting)
        m_changed.notify_all();
    return slot.read;
}

void ReportReadAhead::readAll()
{
    try {
        for (std::size_t index = 0; index < m_names.size(); ++index) {
            {
                std::unique_lock lock(m_mutex);
                while (!m_stop && !mayRead()) {
                    if (m_takerWaiting)
                        m_changed.notify_all();  // the taker must not sleep on a reading that pauses
                    m_readerWaiting = true;
                    m_changed.wait(lock);
                    m_readerWaiting = false;
                }
                if (m_stop)
                    return;
            }
            readOne(index);
        }
    } catch (...) {
        // Out of memory, most likely: next() reads what is left itself.
        const std::lock_guard lock(m_mutex);
        m_readerGone = true;
        m_changed.notify_all();
    }
}

// Its slot is free: the report that had it before has been taken.
void ReportReadAhead::readOne(std::size_t index)
{
    Slot& slot = slotOf(index);
    slot.read = m_directory.readWholeFile(m_names[index], slot.bytes);
    const std::lock_guard lock(m_mutex);
    m_read = index + 1;
    m_waitingBytes += slot.bytes.size();
    if (m_takerWaiting && (m_read >= m_wakeAt || !mayRead()))
        m_changed.notify_all();
}

bool ReportReadAhead::mayRead() const
{
    return m_read - m_taken < m_slots.size() && (m_read == m_taken || m_waitingBytes < m_limits.bytes);
}

}  // namespace corvinax
