#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

// When serve reads which page of which meter: each page of each meter falls
// due at its own interval, and the reading due first goes first (ties in the
// order of the meters, then of the pages). A reading that runs late moves the
// next one on rather than piling readings up.
class ReadingSchedule
{
public:
    using Clock = std::chrono::steady_clock;
    struct Slot
    {
        std::size_t meter;
        std::size_t page;
    };

    // Every page of every meter is due at the start.
    ReadingSchedule(std::size_t meters, std::vector<Clock::duration> pageIntervals, Clock::time_point start);

    Slot Next() const;
    Clock::time_point DueAt(Slot slot) const;
    // The slot was read at now: it is due again one interval after it was due, or now when that has passed.
    void Done(Slot slot, Clock::time_point now);
    // Every page of the meter is due now (a meter that answers again).
    void AllDue(std::size_t meter, Clock::time_point now);

private:
    std::vector<Clock::duration> m_intervals;
    std::vector<std::vector<Clock::time_point>> m_due; // by meter, then page
};
