#include "meter/TimeTexts.h"

#include <QDateTime>

namespace TimeTexts {
namespace {
constexpr int kNoValidTime = 65535;

int HighByte(int word)
{
    return (word >> 8) & 0xFF;
}

int LowByte(int word)
{
    return word & 0xFF;
}

// Days since 1970-01-01 to a proleptic Gregorian date, by whole-number
// arithmetic on 400-year eras (each era holds 146097 days).
void DateFromDays(int64_t days, CivilTime& time)
{
    days += 719468; // from 0000-03-01, so that the leap day ends each year
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    time.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    time.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0));
}
} // namespace

QString DemandTimeStamp(int yearMonth, int dayHour, int minuteSecond)
{
    return QString::asprintf("%d-%d-%d %d:%d:%d", 2000 + HighByte(yearMonth), LowByte(yearMonth),
                             HighByte(dayHour), LowByte(dayHour), HighByte(minuteSecond),
                             LowByte(minuteSecond));
}

CivilTime UtcFromSeconds(int64_t seconds)
{
    constexpr int64_t kSecondsPerDay = 86400;
    int64_t days = seconds / kSecondsPerDay;
    int64_t secondOfDay = seconds % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --days;
    }
    CivilTime time{};
    DateFromDays(days, time);
    time.hour = static_cast<int>(secondOfDay / 3600);
    time.minute = static_cast<int>(secondOfDay / 60 % 60);
    time.second = static_cast<int>(secondOfDay % 60);
    return time;
}

QString EventTime(int milliseconds, int secondsLow, int secondsHigh)
{
    if (milliseconds == kNoValidTime || secondsLow == kNoValidTime || secondsHigh == kNoValidTime)
        return {};
    const auto seconds =
        static_cast<int32_t>(static_cast<uint32_t>(secondsHigh) * 65536u + static_cast<uint32_t>(secondsLow));
    // The meter counts from 1970; a time before it is shown as the start.
    const CivilTime time = UtcFromSeconds(seconds < 0 ? 0 : seconds);
    return QString::asprintf("%d-%02d-%02d %02d:%02d:%02d          %dms", time.year, time.month, time.day,
                             time.hour, time.minute, time.second, milliseconds);
}

QString MeterClockText(const PageReads::Clock::Values& clock)
{
    using namespace PageReads::Clock;
    // In 64 bits: a stale entry near INT_MAX must not overflow the year.
    const long long year = 2000LL + clock[kYear];
    return QString::asprintf("%lld-%d-%d %02d\uFF1A%02d\uFF1A%02d", year, clock[kMonth], clock[kDay],
                             clock[kHour], clock[kMinute], clock[kSecond]);
}

PageReads::Clock::Values MeterClockRegisters(const QDateTime& localTime)
{
    using namespace PageReads::Clock;
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    Values clock{};
    clock[kYear] = date.year() - 2000;
    clock[kMonth] = date.month();
    clock[kDay] = date.day();
    clock[kHour] = time.hour();
    clock[kMinute] = time.minute();
    clock[kSecond] = time.second();
    return clock;
}

} // namespace TimeTexts
