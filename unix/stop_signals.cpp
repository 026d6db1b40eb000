#include "unix/stop_signals.hpp"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnStopSignal(int)
{
    stopRequested = 1;
}

} // namespace

void CatchStopSignals()
{
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
}

void RequestStop()
{
    stopRequested = 1;
}

bool StopRequested()
{
    return stopRequested != 0;
}

sigset_t HoldStopSignals()
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    return waitMask;
}
