#pragma once

// The warehouse run from a scheduler, without the window: one check run, the check log, the export
// into the warehouse table, the save of the settings, and the exit status (warehouseExitStatus).

#include "app/startup_options.h"

namespace corvinax {

class Clock;

// settings holds what the settings file holds, loaded already; the run ends at a safe point when
// SIGTERM, SIGINT or SIGHUP asks it to.
int runUnattended(const StartupOptions& options, Settings& settings, const Clock& clock);

}  // namespace corvinax
