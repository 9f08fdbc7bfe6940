#include "exporter/ReadingSchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

namespace {
using namespace std::chrono_literals;
using Clock = ReadingSchedule::Clock;
using Seconds = std::chrono::duration<double>;

// One meter's readings as a line at 9600 baud takes them: the realtime page, then energy, demand,
// max/min and the wiring check.
constexpr std::array<Clock::duration, 5> kTook = {100ms, 70ms, 75ms, 85ms, 600ms};
constexpr ReadingSchedule::Intervals kAsked{5s, 50s};

// serve's loop in virtual time: each reading the schedule asks for lasts as kTook says.
class VirtualLine
{
public:
    explicit VirtualLine(std::size_t meters) : schedule(meters, kTook.size(), kAsked, {}), m_readings(meters)
    {
    }

    void Run(Clock::duration time)
    {
        Clock::time_point now{};
        while (now < Clock::time_point{} + time) {
            const ReadingSchedule::Slot slot = schedule.Next(now);
            if (schedule.DueAt(slot) > now) {
                now = schedule.DueAt(slot);
                continue;
            }
            const Clock::time_point started = now;
            now += kTook[slot.page];
            schedule.Done(slot, started, now);
            m_readings[slot.meter][slot.page].push_back(started);
            (slot.page == 0 ? m_realtimeBusy : m_slowBusy) += kTook[slot.page];
        }
    }

    // The longest time between two readings of the page of any meter, from the start on.
    Clock::duration LongestGap(std::size_t page) const
    {
        Clock::duration longest{};
        for (const auto& meter : m_readings) {
            Clock::time_point previous{};
            for (const Clock::time_point at : meter[page]) {
                longest = std::max(longest, at - previous);
                previous = at;
            }
        }
        return longest;
    }

    // The fewest readings of a slow page that any meter had.
    std::size_t FewestSlowReadings() const
    {
        std::size_t fewest = SIZE_MAX;
        for (const auto& meter : m_readings)
            for (std::size_t page = 1; page < kTook.size(); ++page)
                fewest = std::min(fewest, meter[page].size());
        return fewest;
    }

    double SlowShare() const { return Seconds(m_slowBusy) / Seconds(m_slowBusy + m_realtimeBusy); }

    ReadingSchedule schedule;

private:
    std::vector<std::array<std::vector<Clock::time_point>, kTook.size()>> m_readings;
    Clock::duration m_realtimeBusy{};
    Clock::duration m_slowBusy{};
};
} // namespace

TEST(ReadingScheduleTest, aLineWithRoomKeepsEveryAskedInterval)
{
    VirtualLine line(4);
    line.Run(300s);
    EXPECT_LE(line.LongestGap(0), kAsked.realtime);
    for (std::size_t page = 1; page < kTook.size(); ++page)
        EXPECT_LE(line.LongestGap(page), kAsked.slow) << "page " << page;
    ASSERT_TRUE(line.schedule.Kept());
    EXPECT_EQ(line.schedule.Kept()->realtime, kAsked.realtime);
    EXPECT_EQ(line.schedule.Kept()->slow, kAsked.slow);
}

// 32 meters' realtime readings take 64 % of the line, their slow pages would need 53 %: realtime
// keeps its 5 s, at most a tenth of it late, and the slow pages share the gaps, every 74 s.
TEST(ReadingScheduleTest, realtimeKeepsItsPaceOnAFullLineWhileTheSlowPagesFitBetween)
{
    VirtualLine line(32);
    line.Run(600s);
    EXPECT_LE(line.LongestGap(0), kAsked.realtime * 11 / 10);
    EXPECT_GE(line.FewestSlowReadings(), 7U);
    EXPECT_LE(line.LongestGap(4), 2 * kAsked.slow) << "the wiring check fits too";
    const std::optional<ReadingSchedule::Intervals> kept = line.schedule.Kept();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->realtime, kAsked.realtime);
    EXPECT_NEAR(Seconds(kept->slow).count(), 32 * 0.83 / (1 - 32 * 0.1 / 5), 0.5);
}

// 60 meters' realtime readings alone would take 120 % of the line: the slow pages, starving once
// they wait a slow interval beyond their time, take a tenth of it, and the realtime readings the rest.
TEST(ReadingScheduleTest, starvingSlowPagesTakeTheirShareOfAnOverfullLine)
{
    VirtualLine line(60);
    line.Run(3000s);
    EXPECT_GE(line.FewestSlowReadings(), 4U) << "no slow page starves";
    EXPECT_NEAR(line.SlowShare(), ReadingSchedule::kSlowShare, 0.02);
    const std::optional<ReadingSchedule::Intervals> kept = line.schedule.Kept();
    ASSERT_TRUE(kept);
    EXPECT_NEAR(Seconds(kept->realtime).count(), 6 / (1 - ReadingSchedule::kSlowShare), 0.1);
    EXPECT_NEAR(Seconds(kept->slow).count(), 60 * 0.83 / ReadingSchedule::kSlowShare, 5);
    EXPECT_NEAR(Seconds(line.LongestGap(0)).count(), Seconds(kept->realtime).count(), 1.5)
        << "the realtime readings come as often as the schedule says the line keeps them";
}
