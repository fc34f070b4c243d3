#pragma once

// A small network of signed configuration reports and a settings file that points at it, so that
// the first start of the program shows what it does.

#include "platform/clock.h"

#include <string>

namespace corvinax {

struct SampleNetwork {
    std::string root;          // the sample's folder
    std::string settingsPath;  // the corvinax.ini to write
    std::string smartFile;     // the dictionary the settings point at
};

// Writes the check directories with their reports (dated from today back), and the settings file.
// Throws Error when a file cannot be written.
void writeSampleNetwork(const SampleNetwork& sample, const LocalDateTime& today);

}  // namespace corvinax
