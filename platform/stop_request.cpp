#include "platform/stop_request.h"

#include <csignal>
#include <initializer_list>

namespace corvinax {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void recordStop(int signal)
{
    g_stopSignal = signal;
}

}  // namespace

void stopOnTerminationSignals()
{
    struct sigaction action {};
    action.sa_handler = recordStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

int stopRequested()
{
    return g_stopSignal;
}

void stopIfRequested()
{
    if (const int signal = g_stopSignal)
        throw RunStopped{signal};
}

void setStopRequest(int signal)
{
    g_stopSignal = signal;
}

}  // namespace corvinax
