#pragma once

#include <array>
#include <chrono>

// How busy the line is: the share of the last minute that it carried frames, from each exchange's
// time on the wire. A line near 1 has no room for another meter.
class LineUsage
{
public:
    using Clock = std::chrono::steady_clock;

    explicit LineUsage(Clock::time_point start) : m_start(start) {}

    void Carried(Clock::duration onWire, Clock::time_point at);
    // The share of the last minute (of the time since the start, before a minute has passed).
    double BusyShare(Clock::time_point now) const;

private:
    static constexpr int kSeconds = 60;
    struct Second
    {
        long long number = -1; // seconds since the start
        Clock::duration busy{};
    };

    long long SecondOf(Clock::time_point at) const;

    Clock::time_point m_start;
    std::array<Second, kSeconds> m_seconds{};
};
