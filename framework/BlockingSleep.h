#pragma once

#include <functional>

// Blocks the calling thread for the given time without processing any events:
// a transaction must run to its end before another handler can start.
void BlockingSleep(int milliseconds);

// Tests may replace the sleep (for example to return as soon as a simulated
// meter has answered); an empty function restores the real sleep.
using SleepFunction = std::function<void(int milliseconds)>;
void SetBlockingSleepFunction(SleepFunction function);
