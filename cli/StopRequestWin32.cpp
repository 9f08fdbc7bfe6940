#include "cli/StopRequest.h"

#include <atomic>
#include <windows.h>

namespace {
std::atomic<bool> g_stopAsked{false};

// Runs on a thread of its own. Closing the console ends the program once the
// handler returns, so that case gives the command a moment to finish its row.
BOOL WINAPI AskToStop(DWORD event)
{
    g_stopAsked = true;
    if (event == CTRL_CLOSE_EVENT)
        Sleep(2000);
    return TRUE;
}
} // namespace

StopRequest::StopRequest()
{
    g_stopAsked = false;
    SetConsoleCtrlHandler(AskToStop, TRUE);
}

StopRequest::~StopRequest()
{
    SetConsoleCtrlHandler(AskToStop, FALSE);
}

bool StopRequest::Asked()
{
    return g_stopAsked;
}
