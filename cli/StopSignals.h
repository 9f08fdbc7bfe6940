#pragma once

// Ctrl+C and a polite kill (SIGTERM) ask a long-running command to stop: while
// a StopSignals lives they set a flag that the command looks at between its
// readings; the previous handlers come back after.
class StopSignals
{
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Whether a stop was asked for since this object was made.
    static bool Requested();
};
