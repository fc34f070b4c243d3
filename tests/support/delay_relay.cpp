#include "support/delay_relay.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace corvinax::test {

using Clock = std::chrono::steady_clock;

struct DelayRelay::Direction {
    int from = -1;
    int to = -1;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<Clock::time_point, std::string>> chunks;
    bool ended = false;
};

struct DelayRelay::Connection {
    int client = -1;
    int server = -1;
    Direction up;    // client to server
    Direction down;  // server to client
    std::thread threads[4];
};

namespace {

void noDelay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

int connectLoopback(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    noDelay(fd);
    return fd;
}

DelayRelay::DelayRelay(int targetPort, std::chrono::microseconds oneWayDelay)
    : m_targetPort(targetPort), m_delay(oneWayDelay)
{
    if (::pipe2(m_wake, O_CLOEXEC) != 0 || !listen())
        throw std::runtime_error("the relay cannot listen");
    m_acceptor = std::thread([this] { acceptAll(); });
}

DelayRelay::~DelayRelay()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
        m_stalled = false;
    }
    m_resumed.notify_all();
    (void)!::write(m_wake[1], "x", 1);
    m_acceptor.join();
    closeConnections();
    if (m_listener >= 0)
        ::close(m_listener);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

// On the same port again after a cut, so that the clients find the server where it was.
bool DelayRelay::listen()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<std::uint16_t>(m_port));
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(m_listener, 64) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&at), &length) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return false;
    }
    m_port = ntohs(at.sin_port);
    return true;
}

// The listening socket is opened and closed here alone, as cut and resume ask.
void DelayRelay::acceptAll()
{
    for (;;) {
        int listener = -1;
        {
            const std::lock_guard lock(m_mutex);
            if (m_ending)
                return;
            if (m_refusing && m_listener >= 0) {
                ::close(m_listener);
                m_listener = -1;
            } else if (!m_refusing && m_listener < 0) {
                listen();
            }
            listener = m_listener;
            m_listenerChanged.notify_all();
        }
        pollfd watched[2] = {{m_wake[0], POLLIN, 0}, {listener, POLLIN, 0}};
        ::poll(watched, listener >= 0 ? 2 : 1, -1);
        if (watched[0].revents != 0) {
            char byte;
            (void)!::read(m_wake[0], &byte, 1);
            continue;
        }
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const int server = connectLoopback(m_targetPort);
        if (server < 0) {
            ::close(client);
            continue;
        }
        ++m_accepted;
        noDelay(client);
        auto connection = std::make_unique<Connection>();
        connection->client = client;
        connection->server = server;
        connection->up.from = connection->down.to = client;
        connection->up.to = connection->down.from = server;
        Connection& c = *connection;
        c.threads[0] = std::thread([this, &c] { carry(c.up); });
        c.threads[1] = std::thread([this, &c] { deliver(c.up); });
        c.threads[2] = std::thread([this, &c] { carry(c.down); });
        c.threads[3] = std::thread([this, &c] { deliver(c.down); });
        const std::lock_guard lock(m_mutex);
        m_connections.push_back(std::move(connection));
    }
}

// Reads what arrives and stamps it with the moment it may go on.
void DelayRelay::carry(Direction& direction)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(direction.from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        const std::lock_guard lock(direction.mutex);
        if (got <= 0) {
            direction.ended = true;
            direction.changed.notify_all();
            return;
        }
        direction.chunks.emplace_back(Clock::now() + m_delay, std::string(buffer, static_cast<std::size_t>(got)));
        direction.changed.notify_all();
    }
}

void DelayRelay::deliver(Direction& direction)
{
    for (;;) {
        std::pair<Clock::time_point, std::string> chunk;
        {
            std::unique_lock lock(direction.mutex);
            direction.changed.wait(lock, [&] { return direction.ended || !direction.chunks.empty(); });
            if (direction.chunks.empty()) {
                ::shutdown(direction.to, SHUT_WR);
                return;
            }
            chunk = std::move(direction.chunks.front());
            direction.chunks.pop_front();
        }
        std::this_thread::sleep_until(chunk.first);
        {
            std::unique_lock lock(m_mutex);
            m_resumed.wait(lock, [this] { return !m_stalled; });
        }
        std::string_view rest = chunk.second;
        while (!rest.empty()) {
            const ssize_t sent = ::send(direction.to, rest.data(), rest.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                return;
            rest.remove_prefix(static_cast<std::size_t>(sent));
        }
    }
}

void DelayRelay::stall()
{
    const std::lock_guard lock(m_mutex);
    m_stalled = true;
}

void DelayRelay::resume()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stalled = false;
        m_refusing = false;
    }
    m_resumed.notify_all();
    wakeAcceptor([this] { return m_listener >= 0; });
}

void DelayRelay::cut()
{
    {
        const std::lock_guard lock(m_mutex);
        m_refusing = true;
    }
    wakeAcceptor([this] { return m_listener < 0; });
    closeConnections();
}

void DelayRelay::wakeAcceptor(const std::function<bool()>& done)
{
    (void)!::write(m_wake[1], "x", 1);
    std::unique_lock lock(m_mutex);
    m_listenerChanged.wait(lock, done);
}

// A stalled relay lets its threads go when the connections close.
void DelayRelay::closeConnections()
{
    std::list<std::unique_ptr<Connection>> connections;
    {
        const std::lock_guard lock(m_mutex);
        connections.swap(m_connections);
        m_stalled = false;
    }
    m_resumed.notify_all();
    for (auto& connection : connections) {
        ::shutdown(connection->client, SHUT_RDWR);
        ::shutdown(connection->server, SHUT_RDWR);
        for (Direction* direction : {&connection->up, &connection->down}) {
            const std::lock_guard lock(direction->mutex);
            direction->ended = true;
            direction->chunks.clear();
            direction->changed.notify_all();
        }
        for (std::thread& thread : connection->threads)
            thread.join();
        ::close(connection->client);
        ::close(connection->server);
    }
}

}  // namespace corvinax::test
