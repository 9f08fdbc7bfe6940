#pragma once

#include <QString>
#include <span>

// The choices of the settings lists, in register order: a list's position,
// counted from 0, is the value exchanged with the meter.
namespace SettingsTexts {

inline constexpr const char* kBaudRates[] = {"4800", "9600", "19200", "38400"};
inline constexpr const char* kWiring[] = {"Four Line", "Three Line"};
inline constexpr const char* kActivePulse[] = {"Close", "Import Active Power", "Export Active Power"};
inline constexpr const char* kReactivePulse[] = {"Close", "Import Reactive Power", "Export Reactive Power"};
inline constexpr const char* kAnalogTarget[] = {"Close", "Ua", "Ub", "Uc", "Uab", "Ubc", "Uca",
                                                "Ia",    "Ib", "Ic", "P",  "Q",   "PF",  "F"};
inline constexpr const char* kRelayMode[] = {"Local", "Remote"};
// Targets 7 to 13 have no name; what they mean lies in the meter.
inline constexpr const char* kRelayTarget[] = {"none", "Umax", "Umin", "Ulinemax", "Ulinemin", "Imax", "Imin",
                                               "",     "",     "",     "",         "",         "",     ""};

// What a list shows for a register value: its item, or nothing when the list has no such position.
inline QString ListText(std::span<const char* const> items, int value)
{
    return value >= 0 && value < static_cast<int>(items.size()) ? QString::fromLatin1(items[value])
                                                                : QString();
}

} // namespace SettingsTexts
