#include "platform/share_read_ahead.h"

#include <cerrno>
#include <chrono>

namespace corvinax {

bool meansServerGone(int error)
{
    switch (error) {
    case ETIMEDOUT:
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ENETUNREACH:
    case ENETDOWN:
        return true;
    default:
        return false;
    }
}

ShareReadAhead::ShareReadAhead(ShareReaders& readers, std::vector<std::string> urls,
                               std::function<bool(std::size_t, std::string&)> readItself, Limits limits)
    : m_readers(readers), m_urls(std::move(urls)), m_readItself(std::move(readItself)), m_limits(limits),
      m_slots(m_urls.size())
{
    askAhead();
}

ShareReadAhead::~ShareReadAhead()
{
    std::vector<ShareReaders::Answer> abandoned;
    m_readers.abandonInFlight(abandoned);
}

bool ShareReadAhead::next(std::string& bytes)
{
    bytes.clear();
    if (m_taken >= m_slots.size())
        return false;
    const std::size_t index = m_taken++;
    Slot& slot = m_slots[index];
    while (slot.state == State::Asked)
        awaitAnswers();
    if (slot.state == State::NotAsked && !m_serverGone)
        slot.state = State::ForItself;
    bool read = false;
    m_lastError = 0;
    if (slot.state == State::ForItself) {
        errno = 0;
        read = m_readItself(index, bytes);
        m_lastError = read ? 0 : errno;
        // Read alone, the report tells as well that its server went away.
        if (!read && meansServerGone(errno)) {
            ++m_notReadForServerGone;
            giveUpOnServer();
        }
    } else if (slot.state == State::Answered) {
        bytes.swap(slot.bytes);
        read = slot.read;
        m_lastError = read ? 0 : slot.error;
        m_waitingBytes -= bytes.size();
    }
    slot = Slot{};
    // The readers go on with the next reports while the run works on this one.
    askAhead();
    return read;
}

void ShareReadAhead::askAhead()
{
    while (!m_serverGone && !m_noReaders && m_asked < m_slots.size() && m_asked < m_taken + m_limits.reports &&
           (m_waitingBytes < m_limits.bytes || m_asked == m_taken) && m_readers.inFlight() < m_readers.capacity()) {
        if (!m_readers.send(static_cast<std::uint32_t>(m_asked), m_urls[m_asked])) {
            m_noReaders = m_readers.inFlight() == 0;
            return;
        }
        m_slots[m_asked++].state = State::Asked;
    }
}

void ShareReadAhead::awaitAnswers()
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_limits.answerWaitMs);
    std::vector<ShareReaders::Answer> answers;
    while (answers.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            giveUpOnServer();
            return;
        }
        m_readers.receive(static_cast<int>(left), answers);
        if (answers.empty() && m_readers.inFlight() == 0) {
            // No reader holds what was asked for: the run reads it itself.
            for (Slot& slot : m_slots) {
                if (slot.state == State::Asked)
                    slot.state = State::ForItself;
            }
            return;
        }
    }
    file(answers);
    askAhead();
}

// Every answer of the batch is filed before the server is given up on: the good ones that came with
// the bad news are kept.
void ShareReadAhead::file(std::vector<ShareReaders::Answer>& answers)
{
    bool serverGone = false;
    for (ShareReaders::Answer& answer : answers) {
        if (answer.tag >= m_slots.size() || m_slots[answer.tag].state != State::Asked)
            continue;
        Slot& slot = m_slots[answer.tag];
        if (answer.lost) {
            slot.state = m_serverGone ? State::Answered : State::ForItself;
            continue;
        }
        slot.state = State::Answered;
        slot.read = answer.error == 0;
        slot.error = answer.error;
        slot.bytes = std::move(answer.bytes);
        m_waitingBytes += slot.bytes.size();
        if (meansServerGone(answer.error)) {
            ++m_notReadForServerGone;
            serverGone = true;
        }
    }
    if (serverGone)
        giveUpOnServer();
}

// What is in flight is abandoned and nothing more is asked: every report not yet read is one
// that could not be read.
void ShareReadAhead::giveUpOnServer()
{
    if (m_serverGone)
        return;
    m_serverGone = true;
    std::vector<ShareReaders::Answer> abandoned;
    m_readers.abandonInFlight(abandoned);
    // Names already given out are done with, but the one the run waits for now.
    for (std::size_t index = m_taken == 0 ? 0 : m_taken - 1; index < m_slots.size(); ++index) {
        Slot& slot = m_slots[index];
        if (slot.state == State::Asked || slot.state == State::NotAsked) {
            slot.state = State::Answered;
            slot.read = false;
            slot.error = ECANCELED;  // never asked, or abandoned: the directory's line counts it
            ++m_notReadForServerGone;
        }
    }
}

}  // namespace corvinax
