#pragma once

// Ctrl+C (and on POSIX a polite kill, SIGTERM; on Windows also closing the
// console) asks a long-running command to stop after the reading in hand. While
// a StopRequest lives the request is caught instead of ending the program; the
// previous handling comes back when it ends.
class StopRequest
{
public:
    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // Whether a stop has been asked for since this StopRequest began.
    static bool Asked();
};
