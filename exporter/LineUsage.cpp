#include "exporter/LineUsage.h"

#include <algorithm>

long long LineUsage::SecondOf(Clock::time_point at) const
{
    return std::chrono::duration_cast<std::chrono::seconds>(at - m_start).count();
}

void LineUsage::Carried(Clock::duration onWire, Clock::time_point at)
{
    const long long number = SecondOf(at);
    Second& second = m_seconds[static_cast<std::size_t>(number % kSeconds)];
    if (second.number != number)
        second = {number, {}};
    second.busy += onWire;
}

double LineUsage::BusyShare(Clock::time_point now) const
{
    const long long current = SecondOf(now);
    Clock::duration busy{};
    for (const Second& second : m_seconds)
        if (second.number > current - kSeconds && second.number <= current)
            busy += second.busy;
    // The oldest second counted is whole, the current one as far as it has gone.
    const Clock::duration window =
        current < kSeconds ? now - m_start : now - m_start - std::chrono::seconds(current - kSeconds + 1);
    if (window <= Clock::duration::zero())
        return 0;
    return std::clamp(std::chrono::duration<double>(busy) / window, 0.0, 1.0);
}
