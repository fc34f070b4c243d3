#pragma once

// The reports of a directory on a share read ahead of the run through several connections at once
// (ShareReaders), taken by the run in the order of the listing. What each report gives is what
// reading it alone would give; only the waiting for the server is shared.

#include "platform/read_ahead.h"
#include "platform/share_readers.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvinax {

// Failures that say the server itself cannot be reached or does not answer, not that one file
// could not be read: after one of them the directory's other reports are not asked for, so that
// a server that stopped answering costs its timeout once, not once per report.
bool meansServerGone(int error);

class ShareReadAhead final : public ReadAhead {
public:
    struct Limits {
        std::size_t reports = 64;                  // read and not yet taken, or asked for
        std::size_t bytes = std::size_t{16} << 20;  // read and not yet taken, beyond the first report
        int answerWaitMs = 30000;                  // no answer from any reader for so long: the server is gone
    };

    // urls: the file of each name. readItself reads the file of that index without the readers:
    // for reports that no reader could take; on failure it leaves the reason in errno.
    ShareReadAhead(ShareReaders& readers, std::vector<std::string> urls,
                   std::function<bool(std::size_t, std::string&)> readItself, Limits limits);
    // Requests still in flight are abandoned: their readers end.
    ~ShareReadAhead() override;
    ShareReadAhead(const ShareReadAhead&) = delete;
    ShareReadAhead& operator=(const ShareReadAhead&) = delete;

    bool next(std::string& bytes) override;
    std::size_t notReadForServerGone() const override { return m_notReadForServerGone; }
    int lastError() const override { return m_lastError; }

private:
    enum class State : std::uint8_t { NotAsked, Asked, Answered, ForItself };
    struct Slot {
        State state = State::NotAsked;
        bool read = false;
        int error = 0;
        std::string bytes;
    };

    void askAhead();
    void awaitAnswers();
    void file(std::vector<ShareReaders::Answer>& answers);
    void giveUpOnServer();

    ShareReaders& m_readers;
    std::vector<std::string> m_urls;
    std::function<bool(std::size_t, std::string&)> m_readItself;
    Limits m_limits;
    std::vector<Slot> m_slots;  // one a name
    std::size_t m_asked = 0;    // names asked for (or given up) from the first on
    std::size_t m_taken = 0;    // names given out by next()
    std::size_t m_waitingBytes = 0;
    bool m_serverGone = false;
    std::size_t m_notReadForServerGone = 0;
    int m_lastError = 0;
    bool m_noReaders = false;  // no reader can be had: the rest is read by readItself
};

}  // namespace corvinax
