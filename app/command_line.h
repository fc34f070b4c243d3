#pragma once

// The command line: the first argument that selects warehouse mode, and the options for scripts and
// schedulers beside it. Without those options the program behaves as it always did.

#include <optional>
#include <string>

namespace corvinax {

struct CommandLine {
    // /S or MERVOMODE (any letter case) as the first argument once the options below and their
    // values are taken out; the first argument as the process received it when there are none.
    bool warehouse = false;
    std::optional<std::string> settingsFile;  // --settings FILE, as given (in the system's text)
    bool baseline = false;                    // --baseline
    std::optional<int> silentDays;            // --silent DAYS
    std::optional<std::string> jsonFile;      // --json FILE (in the system's text)
    bool failOnFindings = false;              // --fail-on-findings
    bool help = false;
    bool version = false;
    std::string error;  // what is wrong with the command line, empty when nothing is
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The text of --help.
const char* usageText();

// Whether the first command-line argument selects warehouse mode: MERVOMODE or /S, in any case.
bool selectsWarehouseMode(int argc, const char* const* argv);

}  // namespace corvinax
