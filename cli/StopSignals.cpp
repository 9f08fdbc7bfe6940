#include "cli/StopSignals.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void RequestStop(int)
{
    g_stopRequested = 1;
}

struct sigaction g_oldInterrupt
{
};
struct sigaction g_oldTerminate
{
};
} // namespace

StopSignals::StopSignals()
{
    g_stopRequested = 0;
    struct sigaction action
    {
    };
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_oldInterrupt);
    sigaction(SIGTERM, &action, &g_oldTerminate);
}

StopSignals::~StopSignals()
{
    sigaction(SIGINT, &g_oldInterrupt, nullptr);
    sigaction(SIGTERM, &g_oldTerminate, nullptr);
}

bool StopSignals::Requested()
{
    return g_stopRequested != 0;
}
