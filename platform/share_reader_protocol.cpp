#include "platform/share_reader_protocol.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace corvinax::share_reader {

namespace {

// Names, accounts and URLs are short; anything longer is not from the program.
constexpr std::uint32_t kMaxText = 64 * 1024;

void put(std::string& out, std::uint32_t value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

void putText(std::string& out, std::string_view text)
{
    put(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

bool readExactly(int fd, char* target, std::size_t size)
{
    while (size > 0) {
        const ssize_t got = ::read(fd, target, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        target += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool readNumber(int fd, std::uint32_t& value)
{
    char bytes[sizeof value];
    if (!readExactly(fd, bytes, sizeof bytes))
        return false;
    std::memcpy(&value, bytes, sizeof value);
    return true;
}

bool readText(int fd, std::string& text)
{
    std::uint32_t size = 0;
    if (!readNumber(fd, size) || size > kMaxText)
        return false;
    text.resize(size);
    return readExactly(fd, text.data(), size);
}

}  // namespace

std::string encode(const Hello& hello)
{
    std::string out;
    put(out, static_cast<std::uint32_t>(hello.timeoutMs));
    put(out, static_cast<std::uint32_t>(hello.port));
    putText(out, hello.login);
    putText(out, hello.password);
    return out;
}

std::string encode(const Request& request)
{
    std::string out;
    put(out, request.tag);
    putText(out, request.url);
    return out;
}

std::string encode(const AnswerHeader& header)
{
    std::string out;
    put(out, header.tag);
    put(out, static_cast<std::uint32_t>(header.error));
    put(out, header.size);
    return out;
}

AnswerHeader decodeAnswerHeader(const char (&bytes)[kAnswerHeaderSize])
{
    AnswerHeader header;
    std::uint32_t error = 0;
    std::memcpy(&header.tag, bytes, 4);
    std::memcpy(&error, bytes + 4, 4);
    std::memcpy(&header.size, bytes + 8, 4);
    header.error = static_cast<std::int32_t>(error);
    return header;
}

bool readHello(int fd, Hello& hello)
{
    std::uint32_t timeout = 0;
    std::uint32_t port = 0;
    if (!readNumber(fd, timeout) || !readNumber(fd, port) || !readText(fd, hello.login) ||
        !readText(fd, hello.password))
        return false;
    hello.timeoutMs = static_cast<std::int32_t>(timeout);
    hello.port = static_cast<std::int32_t>(port);
    return port <= 65535;
}

bool readRequest(int fd, Request& request)
{
    return readNumber(fd, request.tag) && readText(fd, request.url);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

}  // namespace corvinax::share_reader
