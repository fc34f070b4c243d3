#pragma once

// The program's connections to file servers for reading reports several at once: share reader
// processes (corvinax-share-reader), started as they are needed, each with its own SMB client and
// a few requests in flight. The caller sends requests and takes the answers as they come.

#include "platform/smb_files.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <sys/types.h>
#include <vector>

namespace corvinax {

class ShareReaders {
public:
    struct Options {
        std::string program;  // the share reader's executable
        SmbCredentials account;
        int timeoutMs = 5000;
        int port = 0;
        std::size_t connections = 12;
        std::size_t requestsEach = 2;  // in flight per connection
    };

    struct Answer {
        std::uint32_t tag = 0;
        int error = 0;      // 0: read; else the errno of the failure
        bool lost = false;  // its reader ended before answering: the file was not read at all
        std::string bytes;
    };

    explicit ShareReaders(Options options);
    // Ends every reader, answered or not.
    ~ShareReaders();
    ShareReaders(const ShareReaders&) = delete;
    ShareReaders& operator=(const ShareReaders&) = delete;

    // Gives the request to a reader with room, starting one when none has room and fewer than
    // the connections run; false when no reader can take it.
    bool send(std::uint32_t tag, const std::string& url);
    std::size_t inFlight() const;
    std::size_t capacity() const { return m_options.connections * m_options.requestsEach; }

    // Waits up to waitMs for answers (all that are there, at least one unless the time ran out or
    // nothing is in flight) and appends them.
    void receive(int waitMs, std::vector<Answer>& answers);
    // Ends every reader that has requests in flight (those are answered as lost); later requests
    // start new ones.
    void abandonInFlight(std::vector<Answer>& answers);

private:
    struct Reader {
        pid_t pid = -1;
        int socket = -1;
        std::deque<std::uint32_t> tags;  // in flight, in the order they are answered
        char header[12]{};
        std::size_t headerGot = 0;
        std::size_t bodyGot = 0;
        Answer answer;  // the one being received
    };

    bool start(Reader& reader);
    void end(Reader& reader, std::vector<Answer>& answers);
    bool takeBytes(Reader& reader, std::vector<Answer>& answers);

    Options m_options;
    std::vector<Reader> m_readers;
    std::vector<Answer> m_lostAnswers;  // of a reader that ended while a request was given to it
    bool m_cannotStart = false;  // the executable is missing or the system refuses: not tried again
};

}  // namespace corvinax
