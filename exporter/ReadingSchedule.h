#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

// When serve reads which page of which meter. Page 0 of each meter, its realtime page, falls due at
// the realtime interval; its other pages, the slow ones, at the slow interval. Realtime readings go
// first: a slow reading goes only where it fits before the next realtime reading falls due (give or
// take kRealtimeSlack of the realtime interval), so that a dashboard does not lag behind a busy line.
// A slow page not read for two slow intervals is starving: the slow pages then take kSlowShare of the
// line from the realtime readings. Among
// readings of one kind the one due first goes first (ties in the order of the meters, then of the
// pages). A reading that runs late moves the next one on rather than piling readings up.
class ReadingSchedule
{
public:
    using Clock = std::chrono::steady_clock;
    struct Slot
    {
        std::size_t meter;
        std::size_t page;
    };
    struct Intervals
    {
        Clock::duration realtime;
        Clock::duration slow;
    };
    // The share of the line's time that starving slow pages take.
    static constexpr double kSlowShare = 0.1;
    // How late a slow reading may make the realtime readings, as a share of their interval: a line
    // whose gaps hold the slow readings only if none may run over leaves much of them unused.
    static constexpr double kRealtimeSlack = 0.1;

    // Every page of every meter is due at the start.
    ReadingSchedule(std::size_t meters, std::size_t pages, Intervals asked, Clock::time_point start);

    // The reading to make at now: one that may go now, else the one to wait for.
    Slot Next(Clock::time_point now) const;
    Clock::time_point DueAt(Slot slot) const;
    // The slot was read from started until now: it is due again one interval after it was due, or
    // now when that has passed.
    void Done(Slot slot, Clock::time_point started, Clock::time_point now);
    // Every page of the meter is due now (a meter that answers again).
    void AllDue(std::size_t meter, Clock::time_point now);

    // The intervals the line keeps when each reading lasts as long as its latest did: the asked ones,
    // or longer. Nothing until each meter's realtime page has been read twice (its first reading
    // also read the ratios) and each slow page of some meter once.
    std::optional<Intervals> Kept() const;
    const Intervals& Asked() const { return m_asked; }

private:
    static bool IsRealtime(Slot slot) { return slot.page == 0; }
    Clock::duration Interval(Slot slot) const { return IsRealtime(slot) ? m_asked.realtime : m_asked.slow; }
    Slot FirstRealtime() const;
    // The slow slot due first among those that pass the filter; nothing when none does.
    template <class Filter> std::optional<Slot> FirstSlow(Filter passes) const;
    bool Starving(Clock::time_point now) const;
    // The mean time of the page's readings; nothing before any was made.
    std::optional<Clock::duration> PageMean(std::size_t page) const;
    // How long a reading of the slot takes: as long as its latest, before its first as the page's mean.
    Clock::duration Expected(Slot slot) const;
    // The time a full round of the page's readings takes; nothing before any was made.
    std::optional<Clock::duration> Round(std::size_t page) const;

    struct PageState
    {
        Clock::time_point due;
        Clock::time_point lastRead; // when its latest reading began (or the start)
        Clock::duration took{};     // how long the latest reading took
        int readings = 0;
    };
    const PageState& State(Slot slot) const { return m_pages[slot.meter][slot.page]; }

    Intervals m_asked;
    std::vector<std::vector<PageState>> m_pages; // by meter, then page
    Clock::duration m_slowOwed{};                // line time owed to starving slow pages
};
