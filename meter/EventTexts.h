#pragma once

#include "meter/PageReads.h"

#include <QString>

// The meter's sequence-of-events records and the texts the SOE page shows of
// them. Record i (0 to 49) occupies registers 710 + 4i to 713 + 4i: the event
// word, the milliseconds, and the low and high words of the seconds since 1970.
namespace EventTexts {

inline constexpr int kRecordCount = 50;
inline constexpr int kRegistersPerRecord = 4;
static_assert(PageReads::kEvents.Size() == kRecordCount * kRegistersPerRecord);

// The switch input named by the low byte of the event word ("S1" to "S8"); empty for any other.
QString EventType(int eventWord);
// "close" when any of bits 8 to 11 of the event word is set, else "open".
QString ActionStatus(int eventWord);

} // namespace EventTexts
