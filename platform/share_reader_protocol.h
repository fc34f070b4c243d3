#pragma once

// What the program and its share readers (corvinax-share-reader, one process per connection)
// say to each other over the socket between them: one greeting with the account and the limits,
// then requests to read a file and the answers, each answer with the file's bytes or the reason
// it could not be read. Numbers are in the machine's own order: both ends run on one machine.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvinax::share_reader {

struct Hello {
    std::int32_t timeoutMs = 0;
    std::int32_t port = 0;
    std::string login;
    std::string password;
};

struct Request {
    std::uint32_t tag = 0;
    std::string url;  // smb://...
};

struct AnswerHeader {
    std::uint32_t tag = 0;
    std::int32_t error = 0;  // 0: read; else the errno of the failure
    std::uint32_t size = 0;  // bytes of the file that follow
};
constexpr std::size_t kAnswerHeaderSize = 12;

std::string encode(const Hello& hello);
std::string encode(const Request& request);
std::string encode(const AnswerHeader& header);
AnswerHeader decodeAnswerHeader(const char (&bytes)[kAnswerHeaderSize]);

// Blocking reads of the reader's side: false at the end of the stream or on anything malformed.
bool readHello(int fd, Hello& hello);
bool readRequest(int fd, Request& request);
// Writes everything or fails (never raises SIGPIPE).
bool writeAll(int fd, std::string_view bytes);

}  // namespace corvinax::share_reader
