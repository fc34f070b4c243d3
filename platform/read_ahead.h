#pragma once

// The files of a directory read ahead of the run that takes them, in the order of their names.

#include <cstddef>
#include <string>

namespace corvinax {

class ReadAhead {
public:
    virtual ~ReadAhead() = default;
    // The next name's file: false when it cannot be read, and past the last name.
    virtual bool next(std::string& bytes) = 0;
    // Why the last next() that gave false failed (an errno value), 0 when it does not know;
    // ECANCELED for a file not read because its server had stopped answering before.
    virtual int lastError() const { return 0; }
    // How many of the names could not be read because their server stopped answering.
    virtual std::size_t notReadForServerGone() const { return 0; }
};

}  // namespace corvinax
