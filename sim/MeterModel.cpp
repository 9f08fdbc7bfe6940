#include "sim/MeterModel.h"

#include "sim/MeterClock.h"
#include "sim/MeterRegisters.h"
#include "sim/RegisterBank.h"

#include <cmath>

namespace {
// Present values the max/min records follow: Ia, Ib, Ic, then P, Q, S, then
// the THD of Ia, Ib, Ic, Ua, Ub, Uc.
struct SMaxMinSample
{
    std::array<uint16_t, 3> current;
    std::array<int32_t, 3> power;
    std::array<uint16_t, 6> thd;
};

SMaxMinSample PresentMaxMinSample(const CRegisterBank& bank)
{
    SMaxMinSample sample{};
    for (int k = 0; k < 3; ++k) {
        sample.current[static_cast<std::size_t>(k)] = bank.Get(MeterReg::kCurrent + k);
        sample.power[static_cast<std::size_t>(k)] = bank.GetS32(MeterReg::kCommonP + 2 * k);
        sample.thd[static_cast<std::size_t>(k)] = bank.Get(MeterReg::kHarmonics + kChannelIa + k);
        sample.thd[static_cast<std::size_t>(k + 3)] = bank.Get(MeterReg::kHarmonics + kChannelUa + k);
    }
    return sample;
}

void WriteMaxMinRecord(CRegisterBank& bank, int base, const SMaxMinSample& sample)
{
    for (int k = 0; k < 3; ++k) {
        bank.Set(base + k, sample.current[static_cast<std::size_t>(k)]);
        bank.SetS32(base + 3 + 2 * k, sample.power[static_cast<std::size_t>(k)]);
    }
    for (int k = 0; k < 6; ++k)
        bank.Set(base + 9 + k, sample.thd[static_cast<std::size_t>(k)]);
}

// A counter plausible for an installation that has run for a while, in 0.1 kWh.
constexpr uint32_t kStartEnergy[MeterReg::kEnergyCount] = {1234567, 345678, 0,      12345, 1234567, 0,
                                                           0,       0,      330000, 0,     0,       15678};

void MirrorEnergy(CRegisterBank& bank)
{
    for (int counter = 0; counter < 4; ++counter)
        bank.SetU32(MeterReg::kCommonEnergy + 2 * counter, bank.GetU32(MeterReg::kEnergy + 2 * counter));
}
} // namespace

void CMeterModel::WriteFactorySettings(CRegisterBank& bank)
{
    bank.Set(MeterReg::kCtPrimary, 100);
    bank.Set(MeterReg::kCtSecondary, 5);
    bank.SetU32(MeterReg::kPtPrimary, 220);
    bank.Set(MeterReg::kPtSecondary, 220);
    bank.Set(MeterReg::kWiring, 0);
    bank.Set(MeterReg::kAddress, 1);
    bank.Set(MeterReg::kBaudIndex, 1);
    for (int relay = 0; relay < 4; ++relay) {
        bank.Set(MeterReg::kReturnTime + relay, 5);
        // Remote mode, no target, limits of 110 % and 90 % of nominal, 3 s delay.
        const uint16_t alarm[5] = {1, 0, 110, 90, 3};
        for (int field = 0; field < 5; ++field)
            bank.Set(MeterReg::kRelayAlarm + 5 * relay + field, alarm[field]);
    }
    bank.Set(MeterReg::kActivePulse, 1);
    bank.Set(MeterReg::kReactivePulse, 1);
    bank.Set(MeterReg::kPulseConstant, 3200);
    bank.Set(MeterReg::kAnalogTarget, 10);
    bank.Set(MeterReg::kAnalogScale, 10);
}

void CMeterModel::Start(CRegisterBank& bank, std::time_t clock)
{
    WriteFactorySettings(bank);
    MeterClock::Write(bank, clock);
    m_powers = WriteLiveValues(m_installation.At(m_time), bank);
    for (int counter = 0; counter < MeterReg::kEnergyCount; ++counter)
        bank.SetU32(MeterReg::kEnergy + 2 * counter, kStartEnergy[counter]);
    MirrorEnergy(bank);
    ClearMaxMin(bank);
    ClearDemand(bank);
    ClearEvents(bank);
}

void CMeterModel::Step(CRegisterBank& bank, double seconds)
{
    m_time += seconds;
    m_clockFraction += seconds;
    const double whole = std::floor(m_clockFraction);
    m_clockFraction -= whole;
    MeterClock::Write(bank, MeterClock::Read(bank) + static_cast<std::time_t>(whole));
    m_powers = WriteLiveValues(m_installation.At(m_time), bank);
}

void CMeterModel::Clear(CRegisterBank& bank, int commandRegister)
{
    switch (commandRegister) {
    case MeterReg::kClearMaxMin:
        ClearMaxMin(bank);
        break;
    case MeterReg::kClearEnergy:
        for (int counter = 0; counter < MeterReg::kEnergyCount; ++counter)
            bank.SetU32(MeterReg::kEnergy + 2 * counter, 0);
        MirrorEnergy(bank);
        break;
    case MeterReg::kClearDemand:
        ClearDemand(bank);
        break;
    case MeterReg::kClearEvents:
        ClearEvents(bank);
        break;
    default:
        break;
    }
}

// After a clear the records start again from the present values.
void CMeterModel::ClearMaxMin(CRegisterBank& bank)
{
    const SMaxMinSample sample = PresentMaxMinSample(bank);
    WriteMaxMinRecord(bank, MeterReg::kMaxima, sample);
    WriteMaxMinRecord(bank, MeterReg::kMinima, sample);
}

void CMeterModel::ClearDemand(CRegisterBank& bank)
{
    const std::time_t now = MeterClock::Read(bank);
    const uint16_t current = bank.Get(MeterReg::kCurrentAverage);
    const int32_t powers[3] = {m_powers.p, m_powers.q, m_powers.s};
    bank.Set(MeterReg::kDemand, current);
    bank.Set(MeterReg::kCommonDemand, current);
    bank.Set(MeterReg::kDemandMaxCurrent, current);
    MeterClock::WriteStamp(bank, MeterReg::kDemandMaxCurrentTime, now);
    const int maxima[3] = {MeterReg::kDemandMaxP, MeterReg::kDemandMaxQ, MeterReg::kDemandMaxS};
    for (int k = 0; k < 3; ++k) {
        bank.SetS32(MeterReg::kDemand + 1 + 2 * k, powers[k]);
        bank.SetS32(MeterReg::kCommonDemand + 1 + 2 * k, powers[k]);
        bank.SetS32(maxima[k], powers[k]);
        MeterClock::WriteStamp(bank, maxima[k] + 2, now);
    }
}

void CMeterModel::ClearEvents(CRegisterBank& bank)
{
    for (int address = MeterReg::kEvents; address < MeterReg::kEvents + 4 * MeterReg::kEventRecords;
         ++address)
        bank.Set(address, 0);
    bank.Set(MeterReg::kCommonEventCount, 0);
}

bool CMeterModel::Input(const CRegisterBank& bank, int input)
{
    return (bank.Get(MeterReg::kInputs) >> (input - 1)) & 1;
}

void CMeterModel::SetInput(CRegisterBank& bank, int input, bool closed)
{
    const uint16_t bit = static_cast<uint16_t>(1u << (input - 1));
    const uint16_t inputs = closed ? bank.Get(MeterReg::kInputs) | bit : bank.Get(MeterReg::kInputs) & ~bit;
    bank.Set(MeterReg::kInputs, inputs);
    bank.Set(MeterReg::kCommonInputs, inputs);
}

void CMeterModel::SetRelay(CRegisterBank& bank, int relay, bool closed)
{
    bank.SetCoil(relay - 1, closed);
    const uint16_t bit = static_cast<uint16_t>(1u << (relay - 1));
    const uint16_t relays = closed ? bank.Get(MeterReg::kRelays) | bit : bank.Get(MeterReg::kRelays) & ~bit;
    bank.Set(MeterReg::kRelays, relays);
    bank.Set(MeterReg::kCommonRelays, relays);
}
