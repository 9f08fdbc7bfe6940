#pragma once

#include "sim/Installation.h"
#include "sim/LiveValues.h"

#include <ctime>

class CRegisterBank;

// The meter's inner working: what it measures from the installation and what
// it records. It fills the registers; the register bank stays the one place
// of truth, so values a master or a test sets are where the records go on from.
class CMeterModel
{
public:
    explicit CMeterModel(uint32_t seed) : m_installation(seed) {}

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

    // Switch inputs 1 to 8 and relays 1 to 4 as their status registers show them.
    static bool Input(const CRegisterBank& bank, int input);
    void SetInput(CRegisterBank& bank, int input, bool closed);
    static void SetRelay(CRegisterBank& bank, int relay, bool closed);

private:
    void WriteFactorySettings(CRegisterBank& bank);
    void ClearMaxMin(CRegisterBank& bank);
    void ClearDemand(CRegisterBank& bank);
    void ClearEvents(CRegisterBank& bank);

    CInstallation m_installation;
    SPowerTotals m_powers;
    double m_time = 0.0;
    double m_clockFraction = 0.0;
};
