#include "meter/EventTexts.h"

#include <array>

namespace EventTexts {
namespace {
// Names of the switch inputs by the low byte of the event word; the meter numbers them 1 to 8.
constexpr std::array<const char*, 15> kEventTypes{"",   "S1", "S2", "S3", "S4", "S5", "S6", "S7",
                                                  "S8", "",   "",   "",   "",   "",   ""};
} // namespace

QString EventType(int eventWord)
{
    const auto input = static_cast<std::size_t>(eventWord & 0xFF);
    return input < kEventTypes.size() ? QString::fromUtf8(kEventTypes[input]) : QString();
}

QString ActionStatus(int eventWord)
{
    return (eventWord & 0x0F00) ? QStringLiteral("close") : QStringLiteral("open");
}

} // namespace EventTexts
