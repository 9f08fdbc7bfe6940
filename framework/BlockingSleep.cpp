#include "framework/BlockingSleep.h"

#include <chrono>
#include <thread>

namespace {
SleepFunction& Replacement()
{
    static SleepFunction function;
    return function;
}
} // namespace

void BlockingSleep(int milliseconds)
{
    if (Replacement()) {
        Replacement()(milliseconds);
        return;
    }
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetBlockingSleepFunction(SleepFunction function)
{
    Replacement() = std::move(function);
}
