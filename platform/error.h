#pragma once

#include <stdexcept>
#include <string>

namespace corvinax {

// The one error type of the core: a failure the person must see. what() is the message text in
// code page 1251, exactly as it is shown; the GUI converts it at its edge.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write, deletion or erasure that could not reach the profile file: "Unable to write to <path>",
// with the system's reason beside it.
class ProfileWriteError : public Error {
public:
    ProfileWriteError(const std::string& path, int error);
    const std::string& path() const { return m_path; }
    // The system's words for why, as strerror gives them.
    const std::string& reason() const { return m_reason; }

private:
    std::string m_path;
    std::string m_reason;
};

}  // namespace corvinax
