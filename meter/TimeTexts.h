#pragma once

#include "meter/PageReads.h"

#include <QString>
#include <cstdint>

class QDateTime;

// Texts of the meter's time stamps and clock, apart from the pages so that
// they can be checked without a meter.
namespace TimeTexts {

// A maximum demand's time stamp from its three registers (year - 2000 and
// month, day and hour, minute and second, high byte first), every number
// without leading zeros: "2009-7-14 8:5:9".
QString DemandTimeStamp(int yearMonth, int dayHour, int minuteSecond);

// An event's time from its milliseconds and the low and high words of its
// seconds since 1970, read as UTC: "2009-07-14 10:25:09          250ms".
// Empty when any of the three registers holds 65535 (no valid time).
QString EventTime(int milliseconds, int secondsLow, int secondsHigh);

struct CivilTime
{
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

// Calendar date and time of seconds since 1970-01-01 00:00:00, without any
// time-zone shift; the result does not depend on the process's time zone.
CivilTime UtcFromSeconds(int64_t seconds);

// The meter clock registers 700 to 705 (year - 2000, month, day, hour, minute,
// second) as "2009-7-14 08：05：09", full-width colons between the time parts.
QString MeterClockText(const PageReads::Clock::Values& clock);

// The clock registers 700 to 705 that set the meter to the given local time.
PageReads::Clock::Values MeterClockRegisters(const QDateTime& localTime);

} // namespace TimeTexts
