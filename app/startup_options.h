#pragma once

// What the entry hands the run it starts, with or without the window: decided from the command line
// and the place of the program before anything else is loaded.

#include "settings/settings.h"

#include <string>

namespace corvinax {

struct StartupOptions {
    std::string settingsPath;
    std::string executablePath;
    DefaultPaths defaults;
    bool warehouseFromCommandLine = false;
    std::string jsonFile;         // --json: for this run, instead of JsonFile
    bool failOnFindings = false;  // --fail-on-findings
};

}  // namespace corvinax
