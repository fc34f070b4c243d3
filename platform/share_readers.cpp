#include "platform/share_readers.h"

#include "platform/atomic_file.h"
#include "platform/share_reader_protocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace corvinax {

namespace {

// A reader's answer is a file of at most the read limit; anything longer is not a reader's answer.
constexpr std::size_t kMaxAnswer = kMaxReadBytes + 1;

// The reader starts with the signals as a new program has them, whatever the program blocked or
// caught for itself.
bool spawnReader(const std::string& program, int socket, pid_t& pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, socket, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGTERM, SIGINT, SIGHUP})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* const arguments[] = {const_cast<char*>("corvinax-share-reader"), nullptr};
    const int failed = posix_spawn(&pid, program.c_str(), &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0;
}

void reap(pid_t pid)
{
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

ShareReaders::ShareReaders(Options options) : m_options(std::move(options))
{
    m_options.connections = std::max<std::size_t>(m_options.connections, 1);
    m_options.requestsEach = std::max<std::size_t>(m_options.requestsEach, 1);
}

// Readers with nothing to do are told to end, which lets each close its connection as a client
// should; one that does not end within a moment, or is still waiting for a server, is killed.
ShareReaders::~ShareReaders()
{
    std::vector<Answer> ignored;
    abandonInFlight(ignored);
    for (Reader& reader : m_readers) {
        if (reader.pid > 0)
            ::shutdown(reader.socket, SHUT_WR);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    for (Reader& reader : m_readers) {
        if (reader.pid <= 0)
            continue;
        while (::waitpid(reader.pid, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(reader.pid, SIGKILL);
                reap(reader.pid);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ::close(reader.socket);
    }
}

bool ShareReaders::start(Reader& reader)
{
    int sockets[2];
    if (m_cannotStart || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return false;
    pid_t pid = -1;
    const bool started = spawnReader(m_options.program, sockets[1], pid);
    ::close(sockets[1]);
    const share_reader::Hello hello{m_options.timeoutMs, m_options.port, m_options.account.login,
                                    m_options.account.password};
    if (!started || !share_reader::writeAll(sockets[0], share_reader::encode(hello))) {
        if (started) {
            ::kill(pid, SIGKILL);
            reap(pid);
        } else {
            m_cannotStart = true;
        }
        ::close(sockets[0]);
        return false;
    }
    reader = Reader{};
    reader.pid = pid;
    reader.socket = sockets[0];
    return true;
}

bool ShareReaders::send(std::uint32_t tag, const std::string& url)
{
    // The reader with the fewest requests in flight; a new one while every running one has some.
    Reader* chosen = nullptr;
    std::size_t running = 0;
    for (Reader& reader : m_readers) {
        if (reader.pid <= 0)
            continue;
        ++running;
        if (reader.tags.size() < m_options.requestsEach && (!chosen || reader.tags.size() < chosen->tags.size()))
            chosen = &reader;
    }
    if ((!chosen || !chosen->tags.empty()) && running < m_options.connections) {
        auto free = std::find_if(m_readers.begin(), m_readers.end(), [](const Reader& r) { return r.pid <= 0; });
        if (free == m_readers.end()) {
            m_readers.emplace_back();
            free = std::prev(m_readers.end());
        }
        if (start(*free))
            chosen = &*free;
    }
    if (!chosen)
        return false;
    if (!share_reader::writeAll(chosen->socket, share_reader::encode(share_reader::Request{tag, url}))) {
        std::vector<Answer> lost;
        end(*chosen, lost);  // its earlier requests: the caller learns of them at its next receive
        m_lostAnswers.insert(m_lostAnswers.end(), std::make_move_iterator(lost.begin()),
                             std::make_move_iterator(lost.end()));
        return false;
    }
    chosen->tags.push_back(tag);
    return true;
}

std::size_t ShareReaders::inFlight() const
{
    std::size_t count = 0;
    for (const Reader& reader : m_readers)
        count += reader.tags.size();
    return count;
}

void ShareReaders::receive(int waitMs, std::vector<Answer>& answers)
{
    const std::size_t before = answers.size();
    answers.insert(answers.end(), std::make_move_iterator(m_lostAnswers.begin()),
                   std::make_move_iterator(m_lostAnswers.end()));
    m_lostAnswers.clear();
    std::vector<pollfd> watched;
    std::vector<Reader*> owners;
    for (Reader& reader : m_readers) {
        if (reader.pid > 0 && !reader.tags.empty()) {
            watched.push_back(pollfd{reader.socket, POLLIN, 0});
            owners.push_back(&reader);
        }
    }
    if (watched.empty())
        return;
    const int ready = ::poll(watched.data(), watched.size(), answers.size() > before ? 0 : waitMs);
    if (ready <= 0)
        return;
    for (std::size_t i = 0; i < watched.size(); ++i) {
        if (watched[i].revents != 0 && !takeBytes(*owners[i], answers))
            end(*owners[i], answers);
    }
}

// Takes what the reader has sent, answers completed on the way; false when the reader is gone or
// sent what is no answer.
bool ShareReaders::takeBytes(Reader& reader, std::vector<Answer>& answers)
{
    for (;;) {
        const bool inHeader = reader.headerGot < sizeof reader.header;
        char* target = inHeader ? reader.header + reader.headerGot : reader.answer.bytes.data() + reader.bodyGot;
        const std::size_t wanted =
            inHeader ? sizeof reader.header - reader.headerGot : reader.answer.bytes.size() - reader.bodyGot;
        if (wanted > 0) {
            const ssize_t got = ::recv(reader.socket, target, wanted, MSG_DONTWAIT);
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
                return true;
            if (got <= 0)
                return false;
            (inHeader ? reader.headerGot : reader.bodyGot) += static_cast<std::size_t>(got);
            if (static_cast<std::size_t>(got) < wanted)
                continue;
        }
        if (inHeader) {
            const share_reader::AnswerHeader header = share_reader::decodeAnswerHeader(reader.header);
            if (reader.tags.empty() || header.tag != reader.tags.front() || header.size > kMaxAnswer)
                return false;
            reader.answer.tag = header.tag;
            reader.answer.error = header.error;
            reader.answer.bytes.resize(header.size);
            reader.bodyGot = 0;
            if (header.size > 0)
                continue;
        }
        answers.push_back(std::move(reader.answer));
        reader.answer = Answer{};
        reader.tags.pop_front();
        reader.headerGot = 0;
        reader.bodyGot = 0;
        if (reader.tags.empty())
            return true;
    }
}

void ShareReaders::end(Reader& reader, std::vector<Answer>& answers)
{
    if (reader.pid > 0) {
        ::kill(reader.pid, SIGKILL);
        reap(reader.pid);
        ::close(reader.socket);
    }
    for (std::uint32_t tag : reader.tags)
        answers.push_back(Answer{tag, 0, true, {}});
    reader = Reader{};
}

void ShareReaders::abandonInFlight(std::vector<Answer>& answers)
{
    for (Reader& reader : m_readers) {
        if (reader.pid > 0 && !reader.tags.empty())
            end(reader, answers);
    }
}

}  // namespace corvinax
