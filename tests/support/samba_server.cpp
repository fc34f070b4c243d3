#include "support/samba_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvinax::test {

bool portOpen(const char* address, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, address, &to.sin_addr);
    const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    ::close(fd);
    return open;
}

SambaServer& SambaServer::instance()
{
    static SambaServer server;
    return server;
}

SambaServer::~SambaServer()
{
    if (m_pid > 0) {
        ::kill(-m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

SambaServer::SambaServer()
{
    if (::geteuid() != 0 || ::access("/usr/sbin/smbd", X_OK) != 0) {
        m_why = "needs root and smbd (Debian's samba)";
        return;
    }
    if (portOpen("127.0.0.1", kSambaPort)) {
        m_why = "the test port is taken";
        return;
    }
    for (const char* folder : {"cfg", "private", "state", "run"})
        std::filesystem::create_directories(m_dir.file(folder));
    std::filesystem::permissions(m_dir.file("cfg"), std::filesystem::perms::all);
    const std::string conf = m_dir.file("smb.conf");
    const std::string state = m_dir.file("state");
    writeFile(conf, "[global]\n"
                    "workgroup = WORKGROUP\nserver role = standalone server\n"
                    "interfaces = lo\nbind interfaces only = yes\nsmb ports = " + std::to_string(kSambaPort) + "\n"
                    "map to guest = Bad User\npassdb backend = tdbsam:" + state + "/passdb.tdb\n"
                    "private dir = " + state + "\nlock directory = " + state + "\nstate directory = " + state +
                    "\ncache directory = " + state + "\npid directory = " + m_dir.file("run") +
                    "\nncalrpc dir = " + m_dir.file("run") + "\nlog file = " + m_dir.file("smbd.log") +
                    "\nload printers = no\nprinting = bsd\nprintcap name = /dev/null\ndisable spoolss = yes\n"
                    "store dos attributes = yes\n"
                    "[cfg]\npath = " + m_dir.file("cfg") + "\nread only = no\nguest ok = yes\nforce user = root\n"
                    "hide dot files = yes\nhide files = /*.hid/\n"
                    "[private]\npath = " + m_dir.file("private") + "\nread only = no\nguest ok = no\n"
                    "valid users = root\n");
    const std::string add = "printf '%s\\n%s\\n' " + std::string(kSambaPassword) + " " + kSambaPassword +
                            " | smbpasswd -c '" + conf + "' -s -a root >/dev/null 2>&1";
    if (std::system(add.c_str()) != 0) {
        m_why = "smbpasswd failed";
        return;
    }
    m_pid = ::fork();
    if (m_pid == 0) {
        ::setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDWR);
        for (int fd : {0, 1, 2})
            ::dup2(null, fd);
        ::execl("/usr/sbin/smbd", "smbd", "--foreground", "--no-process-group", "--configfile", conf.c_str(),
                static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    for (int i = 0; i < 100 && !portOpen("127.0.0.1", kSambaPort); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!portOpen("127.0.0.1", kSambaPort)) {
        m_why = "smbd did not start: " + readFile(m_dir.file("smbd.log"));
        ::kill(-m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}

}  // namespace corvinax::test
