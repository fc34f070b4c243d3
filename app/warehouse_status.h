#pragma once

// The exit status of an unattended run, for the scheduler that started it (the README lists them).

#include "check/check_run.h"

namespace corvinax {

// saved: whether the final save of the settings went through.
int warehouseExitStatus(const CheckRunner::Outcome& outcome, bool saved, bool failOnFindings);

}  // namespace corvinax
