#include "exporter/ReadingSchedule.h"

#include <algorithm>

namespace {
using Duration = ReadingSchedule::Clock::duration;

Duration Scaled(Duration duration, double factor)
{
    return std::chrono::duration_cast<Duration>(duration * factor);
}
} // namespace

ReadingSchedule::ReadingSchedule(std::size_t meters, std::size_t pages, Intervals asked,
                                 Clock::time_point start)
    : m_asked(asked), m_pages(meters, std::vector<PageState>(pages, PageState{start, start}))
{
}

ReadingSchedule::Slot ReadingSchedule::FirstRealtime() const
{
    Slot first{0, 0};
    for (std::size_t meter = 1; meter < m_pages.size(); ++meter)
        if (m_pages[meter][0].due < DueAt(first))
            first = {meter, 0};
    return first;
}

template <class Filter> std::optional<ReadingSchedule::Slot> ReadingSchedule::FirstSlow(Filter passes) const
{
    std::optional<Slot> first;
    for (std::size_t meter = 0; meter < m_pages.size(); ++meter)
        for (std::size_t page = 1; page < m_pages[meter].size(); ++page)
            if (passes(Slot{meter, page}) && (!first || m_pages[meter][page].due < DueAt(*first)))
                first = Slot{meter, page};
    return first;
}

bool ReadingSchedule::Starving(Clock::time_point now) const
{
    return FirstSlow([this, now](Slot slot) {
               return State(slot).lastRead + 2 * m_asked.slow <= now && DueAt(slot) <= now;
           })
        .has_value();
}

ReadingSchedule::Slot ReadingSchedule::Next(Clock::time_point now) const
{
    const Slot realtime = FirstRealtime();
    const auto due = [this, now](Slot slot) { return DueAt(slot) <= now; };
    if (m_slowOwed > Clock::duration::zero())
        if (const std::optional<Slot> owed = FirstSlow(due))
            return *owed;
    if (due(realtime))
        return realtime;
    const Clock::time_point realtimeLatest = DueAt(realtime) + Scaled(m_asked.realtime, kRealtimeSlack);
    const std::optional<Slot> fitting =
        FirstSlow([&](Slot slot) { return due(slot) && now + Expected(slot) <= realtimeLatest; });
    if (fitting)
        return *fitting;
    // Nothing fits now: a slow page that falls due before the realtime readings may fit then.
    const std::optional<Slot> later = FirstSlow([&](Slot slot) { return !due(slot); });
    return later && DueAt(*later) < DueAt(realtime) ? *later : realtime;
}

ReadingSchedule::Clock::time_point ReadingSchedule::DueAt(Slot slot) const
{
    return State(slot).due;
}

void ReadingSchedule::Done(Slot slot, Clock::time_point started, Clock::time_point now)
{
    const Clock::duration took = now - started;
    if (!IsRealtime(slot))
        m_slowOwed = std::max(m_slowOwed - took, -took);
    else if (Starving(started))
        m_slowOwed += Scaled(took, kSlowShare / (1 - kSlowShare));
    PageState& state = m_pages[slot.meter][slot.page];
    state.lastRead = started;
    state.took = took;
    ++state.readings;
    state.due = std::max(state.due + Interval(slot), now);
}

void ReadingSchedule::AllDue(std::size_t meter, Clock::time_point now)
{
    for (PageState& state : m_pages[meter])
        state.due = std::min(state.due, now);
}

std::optional<ReadingSchedule::Clock::duration> ReadingSchedule::PageMean(std::size_t page) const
{
    Clock::duration total{};
    int read = 0;
    for (const std::vector<PageState>& meter : m_pages)
        if (meter[page].readings > 0) {
            total += meter[page].took;
            ++read;
        }
    if (read == 0)
        return std::nullopt;
    return total / read;
}

ReadingSchedule::Clock::duration ReadingSchedule::Expected(Slot slot) const
{
    if (State(slot).readings > 0)
        return State(slot).took;
    return PageMean(slot.page).value_or(Clock::duration::zero());
}

std::optional<ReadingSchedule::Clock::duration> ReadingSchedule::Round(std::size_t page) const
{
    if (!PageMean(page))
        return std::nullopt;
    Clock::duration round{};
    for (std::size_t meter = 0; meter < m_pages.size(); ++meter)
        round += Expected({meter, page});
    return round;
}

std::optional<ReadingSchedule::Intervals> ReadingSchedule::Kept() const
{
    for (const std::vector<PageState>& meter : m_pages)
        if (meter[0].readings < 2)
            return std::nullopt;
    const std::optional<Clock::duration> realtime = Round(0);
    Clock::duration slow{};
    for (std::size_t page = 1; page < m_pages.front().size(); ++page) {
        const std::optional<Clock::duration> round = Round(page);
        if (!round)
            return std::nullopt;
        slow += *round;
    }
    const double realtimeNeed = std::chrono::duration<double>(*realtime) / m_asked.realtime;
    const double slowNeed = std::chrono::duration<double>(slow) / m_asked.slow;
    if (realtimeNeed + slowNeed <= 1)
        return m_asked;
    // The slow pages get the gaps the realtime readings leave, and at least their share when starving.
    const double slowGets = std::max(1 - realtimeNeed, std::min(kSlowShare, slowNeed));
    Intervals kept = m_asked;
    if (slowGets < 1)
        kept.realtime = std::max(kept.realtime, Scaled(*realtime, 1 / (1 - slowGets)));
    if (slowGets > 0)
        kept.slow = std::max(kept.slow, Scaled(slow, 1 / slowGets));
    return kept;
}
