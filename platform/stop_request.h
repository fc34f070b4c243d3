#pragma once

// A request to end an unattended run, made by a signal (SIGTERM, SIGINT, SIGHUP): the run and the
// export look at it where stopping leaves every file either as before the run or whole.

namespace corvinax {

// Installs the handlers of the three signals; each records its signal and lets the run go on to its
// next safe point.
void stopOnTerminationSignals();
// The signal that asked to stop, or 0.
int stopRequested();
// Thrown at a safe point once a stop was requested; never shown to anyone.
struct RunStopped {
    int signal = 0;
};
// Throws RunStopped when a stop was requested.
void stopIfRequested();
// For tests: a request as a signal would make it, or none (0).
void setStopRequest(int signal);

}  // namespace corvinax
