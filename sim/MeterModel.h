#pragma once

#include "sim/Installation.h"
#include "sim/LiveValues.h"
#include "sim/MeterIo.h"
#include "sim/Records.h"

#include <ctime>

class CRegisterBank;

// The meter's inner working: what it measures from the installation and what
// it records. It fills the registers; the register bank stays the one place
// of truth, so values a master or a test sets are where the records go on from.
class CMeterModel
{
public:
    explicit CMeterModel(uint32_t seed) : m_installation(seed), m_inputs(seed + 1) {}

    // Factory settings, the installation's present values, the clock and
    // records that start from the present values.
    void Start(CRegisterBank& bank, std::time_t clock);
    // Moves the installation, the clock and the records on by a step of at
    // most a second.
    void Step(CRegisterBank& bank, double seconds);
    // Carries out a clear command (register 1009 to 1012 written with 255).
    void Clear(CRegisterBank& bank, int commandRegister);
    // Starts a new second when a master sets the clock.
    void ClockWasSet() { m_clockFraction = 0.0; }
    // Changes a switch input now, recording the event at the meter's clock.
    void SetInput(CRegisterBank& bank, int input, bool closed);

private:
    void WriteFactorySettings(CRegisterBank& bank);
    int Milliseconds() const { return static_cast<int>(m_clockFraction * 1000.0); }

    CInstallation m_installation;
    CEnergyRecorder m_energy;
    CDemandRecorder m_demand;
    CSwitchInputs m_inputs;
    CRelays m_relays;
    PowerTotals m_powers;
    double m_time = 0.0;
    double m_clockFraction = 0.0;
};
