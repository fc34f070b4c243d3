#pragma once

// A TCP relay on 127.0.0.1 in front of a server of this machine, which holds every chunk for a
// while in each direction: a link of a round trip of twice that delay. It can also stop passing
// anything on (a server that stops answering) or cut every connection and refuse new ones (a
// server that is gone).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace corvinax::test {

// A connected socket to that port of 127.0.0.1 with Nagle's delay off; -1 when refused.
int connectLoopback(int port);

class DelayRelay {
public:
    DelayRelay(int targetPort, std::chrono::microseconds oneWayDelay);
    ~DelayRelay();
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    int port() const { return m_port; }
    // Connections accepted since the start.
    int accepted() const { return m_accepted; }
    void stall();
    void cut();
    void resume();

private:
    struct Direction;
    struct Connection;

    bool listen();
    void acceptAll();
    void carry(Direction& direction);
    void deliver(Direction& direction);
    void closeConnections();
    void wakeAcceptor(const std::function<bool()>& done);

    int m_targetPort;
    std::chrono::microseconds m_delay;
    int m_port = 0;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};

    std::mutex m_mutex;
    std::condition_variable m_resumed;
    std::condition_variable m_listenerChanged;
    bool m_stalled = false;
    bool m_refusing = false;
    bool m_ending = false;
    std::list<std::unique_ptr<Connection>> m_connections;
    std::atomic<int> m_accepted = 0;
    std::thread m_acceptor;
};

}  // namespace corvinax::test
