#include "meter/TimeTexts.h"

#include <QDateTime>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <string>

using namespace TimeTexts;

namespace {
// Sets TZ for the life of the object and puts the previous zone back after.
class ZoneOverride
{
public:
    explicit ZoneOverride(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneOverride()
    {
        if (m_previous.empty())
            unsetenv("TZ");
        else
            setenv("TZ", m_previous.c_str(), 1);
        tzset();
    }

private:
    std::string m_previous;
};
} // namespace

TEST(TimeTextsTest, demandTimeStampWritesEveryNumberWithoutLeadingZeros)
{
    EXPECT_EQ(DemandTimeStamp(0x0907, 0x0E08, 0x0509), "2009-7-14 8:5:9");
    EXPECT_EQ(DemandTimeStamp(0, 0, 0), "2000-0-0 0:0:0");
    EXPECT_EQ(DemandTimeStamp(0x0A0C, 0x1F17, 0x3B3B), "2010-12-31 23:59:59");
}

TEST(TimeTextsTest, eventTimeIsUtcWithTenBlanksBeforeTheMillisecondsWhateverTheZone)
{
    // 1247567109 = 0x4A5C5D05
    for (const char* zone : {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "CST-8", "XYZ-14"}) {
        ZoneOverride override(zone);
        EXPECT_EQ(EventTime(250, 0x5D05, 0x4A5C), "2009-07-14 10:25:09          250ms") << zone;
    }
}

TEST(TimeTextsTest, eventTimeIsEmptyWhenAnyTimeRegisterHoldsNoValidTime)
{
    EXPECT_EQ(EventTime(65535, 0x5D05, 0x4A5C), "");
    EXPECT_EQ(EventTime(250, 65535, 0x4A5C), "");
    EXPECT_EQ(EventTime(250, 0x5D05, 65535), "");
    EXPECT_EQ(EventTime(65534, 0, 0), "1970-01-01 00:00:00          65534ms");
}

TEST(TimeTextsTest, eventSecondsAboveTheSignedRangeShowTheStartOf1970)
{
    EXPECT_EQ(EventTime(7, 0, 32768), "1970-01-01 00:00:00          7ms");
    EXPECT_EQ(EventTime(0, 65534, 65534), "1970-01-01 00:00:00          0ms");
    EXPECT_EQ(EventTime(0, 65534, 32767), "2038-01-19 03:14:06          0ms");
}

TEST(TimeTextsTest, utcConversionAgreesWithTheSystemCalendarOverTheWholeRange)
{
    // A step of a day and a bit less than an hour visits every time of day and every date kind.
    for (int64_t seconds = 0; seconds <= 0x7FFFFFFF; seconds += 86400 + 3559) {
        const std::time_t t = static_cast<std::time_t>(seconds);
        std::tm expected{};
        ASSERT_NE(gmtime_r(&t, &expected), nullptr);
        const CivilTime time = UtcFromSeconds(seconds);
        ASSERT_EQ(time.year, expected.tm_year + 1900) << seconds;
        ASSERT_EQ(time.month, expected.tm_mon + 1) << seconds;
        ASSERT_EQ(time.day, expected.tm_mday) << seconds;
        ASSERT_EQ(time.hour, expected.tm_hour) << seconds;
        ASSERT_EQ(time.minute, expected.tm_min) << seconds;
        ASSERT_EQ(time.second, expected.tm_sec) << seconds;
    }
}

TEST(TimeTextsTest, utcConversionHandlesLeapDaysAndTheLastSecondOfAYear)
{
    const CivilTime leapDay = UtcFromSeconds(951782400 + 86399);
    EXPECT_EQ(leapDay.year, 2000);
    EXPECT_EQ(leapDay.month, 2);
    EXPECT_EQ(leapDay.day, 29);
    EXPECT_EQ(leapDay.second, 59);
    const CivilTime newYearsEve = UtcFromSeconds(1230767999);
    EXPECT_EQ(newYearsEve.year, 2008);
    EXPECT_EQ(newYearsEve.month, 12);
    EXPECT_EQ(newYearsEve.day, 31);
    EXPECT_EQ(newYearsEve.hour, 23);
}

TEST(TimeTextsTest, meterClockUsesFullWidthColonsAndNoLeadingZerosInTheDate)
{
    EXPECT_EQ(MeterClockText({9, 7, 14, 8, 5, 9}), QString::fromUtf8("2009-7-14 08：05：09"));
    EXPECT_EQ(MeterClockText({10, 12, 31, 23, 59, 59}), QString::fromUtf8("2010-12-31 23：59：59"));
    EXPECT_EQ(MeterClockText({INT_MAX, 1, 1, 0, 0, 0}), QString::fromUtf8("2147485647-1-1 00：00：00"));
}

TEST(TimeTextsTest, meterClockRegistersTakeTheYearFrom2000)
{
    const QDateTime time(QDate(2009, 7, 14), QTime(10, 25, 9));
    EXPECT_EQ(MeterClockRegisters(time), (std::array<int, 6>{9, 7, 14, 10, 25, 9}));
}
