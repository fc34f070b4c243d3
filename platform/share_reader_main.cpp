// corvinax-share-reader: one connection of the program to the file servers, in a process of its own.
// The program starts several and reads the reports of a share through all of them at once; the SMB
// client keeps state of its own for the whole process, so that one client to a process is the way
// to have several at once. Standard input is a socket to the program: a greeting, then requests to
// read a file, each answered in turn on the same socket.

#include "platform/share_reader_protocol.h"
#include "platform/smb_files.h"

#include <csignal>

using namespace corvinax;

int main()
{
    std::signal(SIGPIPE, SIG_IGN);
    share_reader::Hello hello;
    if (!share_reader::readHello(0, hello))
        return 1;
    const SmbCredentials account{hello.login, hello.password};
    SmbFiles files([&account] { return account; }, hello.timeoutMs, hello.port);
    share_reader::Request request;
    std::string bytes;
    while (share_reader::readRequest(0, request)) {
        const bool read = files.readUrl(request.url, bytes);
        const share_reader::AnswerHeader header{request.tag, read ? 0 : files.lastError(),
                                                static_cast<std::uint32_t>(bytes.size())};
        if (!share_reader::writeAll(0, share_reader::encode(header)) || !share_reader::writeAll(0, bytes))
            return 1;
    }
    return 0;
}
