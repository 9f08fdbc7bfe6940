#include "cli/StopRequest.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t g_stopAsked = 0;

struct sigaction g_oldInterrupt
{
};
struct sigaction g_oldTerminate
{
};

extern "C" void AskToStop(int)
{
    g_stopAsked = 1;
}
} // namespace

StopRequest::StopRequest()
{
    g_stopAsked = 0;
    struct sigaction action
    {
    };
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_oldInterrupt);
    sigaction(SIGTERM, &action, &g_oldTerminate);
}

StopRequest::~StopRequest()
{
    sigaction(SIGINT, &g_oldInterrupt, nullptr);
    sigaction(SIGTERM, &g_oldTerminate, nullptr);
}

bool StopRequest::Asked()
{
    return g_stopAsked != 0;
}
