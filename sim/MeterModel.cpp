#include "sim/MeterModel.h"

#include "sim/MeterClock.h"
#include "sim/MeterRegisters.h"
#include "sim/RegisterBank.h"

#include <cmath>

namespace {
// Counters plausible for an installation that has run for a while, in 0.1 kWh
// and 0.1 kvarh, in register order.
constexpr uint32_t kStartEnergy[MeterReg::kEnergyCount] = {1234567, 345678, 0,      12345, 1234567, 0,
                                                           0,       0,      330000, 0,     0,       15678};
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
    // Remote mode, no target, limits of 110 % and 90 % of nominal, 3 s delay, 5 s return.
    const uint16_t alarm[5] = {1, 0, 110, 90, 3};
    for (int relay = 0; relay < 4; ++relay) {
        bank.Set(MeterReg::kReturnTime + relay, 5);
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
    m_powers = Measure(bank);
    for (int counter = 0; counter < MeterReg::kEnergyCount; ++counter)
        bank.SetU32(MeterReg::kEnergy + 2 * counter, kStartEnergy[counter]);
    m_energy.Mirror(bank);
    m_demand.Add(bank, m_powers, 0.0, clock);
    m_demand.Clear(bank, clock);
    MaxMinRecords::Clear(bank);
    CSwitchInputs::ClearEvents(bank);
}

void CMeterModel::Step(CRegisterBank& bank, double seconds)
{
    m_time += seconds;
    m_clockFraction += seconds;
    const double whole = std::floor(m_clockFraction);
    m_clockFraction -= whole;
    const std::time_t now = MeterClock::Read(bank) + static_cast<std::time_t>(whole);
    MeterClock::Write(bank, now);
    m_powers = Measure(bank);
    m_energy.Integrate(bank, m_powers, seconds);
    m_demand.Add(bank, m_powers, seconds, now);
    MaxMinRecords::Track(bank);
    m_inputs.Wander(bank, seconds, now, Milliseconds());
    m_relays.Supervise(bank, seconds);
}

void CMeterModel::Clear(CRegisterBank& bank, int commandRegister)
{
    switch (commandRegister) {
    case MeterReg::kClearMaxMin:
        MaxMinRecords::Clear(bank);
        break;
    case MeterReg::kClearEnergy:
        m_energy.Clear(bank);
        break;
    case MeterReg::kClearDemand:
        m_demand.Clear(bank, MeterClock::Read(bank));
        break;
    case MeterReg::kClearEvents:
        CSwitchInputs::ClearEvents(bank);
        break;
    default:
        break;
    }
}

void CMeterModel::SetInput(CRegisterBank& bank, int input, bool closed)
{
    CSwitchInputs::Set(bank, input, closed, MeterClock::Read(bank), Milliseconds());
}

PowerTotals CMeterModel::Measure(CRegisterBank& bank)
{
    return WriteLiveValues(Measured(m_installation.At(m_time), m_connection), bank);
}

void CMeterModel::SetSite(CRegisterBank& bank, const SitePlan& plan, const Connection& connection)
{
    m_installation.SetPlan(plan);
    m_connection = connection;
    m_powers = Measure(bank);
}
