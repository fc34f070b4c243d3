#pragma once

// A real Samba server for the tests and the benchmark: smbd on 127.0.0.1 and a port of its own, with
// a guest share "cfg" and a share "private" for the user root, in a temporary directory.

#include "support/temp_dir.h"

#include <string>
#include <sys/types.h>

namespace corvinax::test {

constexpr const char* kSambaPassword = "Secret-123";
// Not the usual port, so that a Samba server of the machine itself is no obstacle.
constexpr int kSambaPort = 4445;

bool portOpen(const char* address, int port);

class SambaServer {
public:
    // Started at the first call; stopped at the end of the process.
    static SambaServer& instance();

    bool running() const { return m_pid > 0; }
    const std::string& why() const { return m_why; }
    // The local folder of a share.
    std::string share(const std::string& name) const { return m_dir.file(name); }

    ~SambaServer();

private:
    SambaServer();

    TempDir m_dir;
    pid_t m_pid = -1;
    std::string m_why;
};

}  // namespace corvinax::test
