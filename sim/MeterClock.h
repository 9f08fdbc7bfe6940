#pragma once

#include <cstdint>
#include <ctime>

class CRegisterBank;

// The meter's clock lives in registers 700 to 705 (year - 2000, month, day,
// hour, minute, second) so that a master's write sets it directly. The
// simulator reads those fields as Coordinated Universal Time, which makes an
// event's seconds since 1970 show the same wall time as the clock.
namespace MeterClock {
std::time_t Read(const CRegisterBank& bank);
void Write(CRegisterBank& bank, std::time_t time);
// True when the six fields name a real date and time from 2000 on.
bool IsValid(const uint16_t fields[6]);
// The three-register demand time stamp: (year - 2000, month), (day, hour),
// (minute, second), each pair as high and low byte.
void WriteStamp(CRegisterBank& bank, int address, std::time_t time);
// The present local time of this computer expressed as clock fields, so that
// a new meter starts with the clock a master would set.
std::time_t LocalNowAsClock();
} // namespace MeterClock
