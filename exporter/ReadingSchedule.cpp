#include "exporter/ReadingSchedule.h"

#include <algorithm>

ReadingSchedule::ReadingSchedule(std::size_t meters, std::vector<Clock::duration> pageIntervals,
                                 Clock::time_point start)
    : m_intervals(std::move(pageIntervals)),
      m_due(meters, std::vector<Clock::time_point>(m_intervals.size(), start))
{
}

ReadingSchedule::Slot ReadingSchedule::Next() const
{
    Slot next{0, 0};
    for (std::size_t meter = 0; meter < m_due.size(); ++meter)
        for (std::size_t page = 0; page < m_intervals.size(); ++page)
            if (m_due[meter][page] < DueAt(next))
                next = {meter, page};
    return next;
}

ReadingSchedule::Clock::time_point ReadingSchedule::DueAt(Slot slot) const
{
    return m_due[slot.meter][slot.page];
}

void ReadingSchedule::Done(Slot slot, Clock::time_point now)
{
    Clock::time_point& due = m_due[slot.meter][slot.page];
    due = std::max(due + m_intervals[slot.page], now);
}

void ReadingSchedule::AllDue(std::size_t meter, Clock::time_point now)
{
    for (Clock::time_point& due : m_due[meter])
        due = std::min(due, now);
}
