#include "sim/MeterIo.h"

#include "sim/MeterRegisters.h"
#include "sim/RegisterBank.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMeanSecondsBetweenChanges = 180.0;
constexpr uint16_t kClosedBit = 0x0100;
// Nominal values the alarm limits are percentages of (secondary side).
constexpr double kNominalPhaseVoltage = 22000.0; // 0.01 V
constexpr double kNominalLineVoltage = 22000.0 * 1.7320508075688772;
constexpr double kNominalCurrent = 5000.0; // 0.001 A

void SetBit(CRegisterBank& bank, int address, int mirror, int bit, bool on)
{
    const uint16_t mask = static_cast<uint16_t>(1u << bit);
    const uint16_t word = on ? bank.Get(address) | mask : bank.Get(address) & ~mask;
    bank.Set(address, word);
    bank.Set(mirror, word);
}

enum AlarmTarget
{
    kNone,
    kUmax,
    kUmin,
    kUlineMax,
    kUlineMin,
    kImax,
    kImin
};

// The quantity of an alarm target in percent of its nominal value, and
// whether it lies beyond the limit: above the upper limit for a maximum,
// below the lower limit for a minimum.
bool IsBeyond(const CRegisterBank& bank, int target, int upper, int lower)
{
    const int bases[] = {0,
                         MeterReg::kPhaseVoltage,
                         MeterReg::kPhaseVoltage,
                         MeterReg::kLineVoltage,
                         MeterReg::kLineVoltage,
                         MeterReg::kCurrent,
                         MeterReg::kCurrent};
    const double nominal[] = {1.0,
                              kNominalPhaseVoltage,
                              kNominalPhaseVoltage,
                              kNominalLineVoltage,
                              kNominalLineVoltage,
                              kNominalCurrent,
                              kNominalCurrent};
    if (target <= kNone || target > kImin)
        return false;
    const uint16_t a = bank.Get(bases[target]), b = bank.Get(bases[target] + 1),
                   c = bank.Get(bases[target] + 2);
    const bool isMaximum = target == kUmax || target == kUlineMax || target == kImax;
    const double percent = (isMaximum ? std::max({a, b, c}) : std::min({a, b, c})) / nominal[target] * 100.0;
    return isMaximum ? percent > upper : percent < lower;
}
} // namespace

bool CSwitchInputs::Input(const CRegisterBank& bank, int input)
{
    return (bank.Get(MeterReg::kInputs) >> (input - 1)) & 1;
}

void CSwitchInputs::Set(CRegisterBank& bank, int input, bool closed, std::time_t now, int milliseconds)
{
    if (Input(bank, input) == closed)
        return;
    SetBit(bank, MeterReg::kInputs, MeterReg::kCommonInputs, input - 1, closed);
    int count = bank.Get(MeterReg::kCommonEventCount);
    if (count >= MeterReg::kEventRecords) {
        for (int address = MeterReg::kEvents; address < MeterReg::kEvents + 4 * (MeterReg::kEventRecords - 1);
             ++address)
            bank.Set(address, bank.Get(address + 4));
        count = MeterReg::kEventRecords - 1;
    }
    const int record = MeterReg::kEvents + 4 * count;
    const auto seconds = static_cast<uint32_t>(std::max<std::time_t>(now, 0));
    bank.Set(record, static_cast<uint16_t>(input | (closed ? kClosedBit : 0)));
    bank.Set(record + 1, static_cast<uint16_t>(milliseconds));
    bank.SetU32(record + 2, seconds);
    bank.Set(MeterReg::kCommonEventCount, static_cast<uint16_t>(count + 1));
}

void CSwitchInputs::ClearEvents(CRegisterBank& bank)
{
    for (int address = MeterReg::kEvents; address < MeterReg::kEvents + 4 * MeterReg::kEventRecords;
         ++address)
        bank.Set(address, 0);
    bank.Set(MeterReg::kCommonEventCount, 0);
}

void CSwitchInputs::Wander(CRegisterBank& bank, double seconds, std::time_t now, int milliseconds)
{
    if (std::uniform_real_distribution<double>(0.0, 1.0)(m_random) >= seconds / kMeanSecondsBetweenChanges)
        return;
    const int input = std::uniform_int_distribution<int>(1, 8)(m_random);
    Set(bank, input, !Input(bank, input), now, milliseconds);
}

void CRelays::Set(CRegisterBank& bank, int relay, bool closed)
{
    bank.SetCoil(relay - 1, closed);
    SetBit(bank, MeterReg::kRelays, MeterReg::kCommonRelays, relay - 1, closed);
}

void CRelays::Supervise(CRegisterBank& bank, double seconds)
{
    for (int relay = 1; relay <= 4; ++relay) {
        Alarm& alarm = m_alarms[static_cast<std::size_t>(relay - 1)];
        const int settings = MeterReg::kRelayAlarm + 5 * (relay - 1);
        const bool local = bank.Get(settings) == 0;
        if (!local ||
            !IsBeyond(bank, bank.Get(settings + 1), bank.Get(settings + 2), bank.Get(settings + 3))) {
            alarm.beyondFor = 0.0;
            alarm.backFor += seconds;
            if (alarm.closedByAlarm && alarm.backFor >= bank.Get(MeterReg::kReturnTime + relay - 1)) {
                Set(bank, relay, false);
                alarm.closedByAlarm = false;
            }
            continue;
        }
        alarm.backFor = 0.0;
        alarm.beyondFor += seconds;
        if (!alarm.closedByAlarm && alarm.beyondFor >= bank.Get(settings + 4)) {
            Set(bank, relay, true);
            alarm.closedByAlarm = true;
        }
    }
}
