#pragma once

#include "meter/PageReads.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// The meter settings (both blocks) and the relay alarms (settings and return
// times) as the registers that hold them, and their JSON file: see
// docs/settings-file.md for the format.
using RegisterImage = std::map<int, uint16_t>;

// The blocks as their pages load and set them, in the order they are written.
// Block A holds the meter's own address and rate, so it goes last: after it the
// meter listens elsewhere.
inline constexpr PageReads::SettingsBlock kSettingsBlocks[] = {
    PageReads::BlockB::kBlock,
    PageReads::Relays::kSettings,
    PageReads::Relays::kReturnTimes,
    PageReads::BlockA::kBlock,
};

// One value of the file: where it sits in the file and the registers, and the meter's range for it.
struct SettingsField
{
    enum Kind
    {
        Word,       // one register
        DoubleWord, // two registers, low word first
        Baud        // the rate in the file, its list position in the register
    };

    QString path; // "meter.address", "relays[0].mode"
    int relay;    // 0 for the meter's own settings, else 1 to 4
    const char* key;
    int reg;
    Kind kind;
    long long min;
    long long max;

    // The value as the file holds it; -1 for a rate position the meter should not hold.
    long long Value(const RegisterImage& image) const;
    void Store(long long value, RegisterImage& image) const;
};

const std::vector<SettingsField>& SettingsFields();

QByteArray SettingsToJson(const RegisterImage& image);
// The registers a settings file sets. On the first value that is missing or
// outside the meter's range, nothing, with the value's name and why in why.
std::optional<RegisterImage> SettingsFromJson(const QByteArray& json, QString& why);
