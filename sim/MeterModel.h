#pragma once

#include "sim/Connection.h"
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
    explicit CMeterModel(uint32_t seed, const SitePlan& plan = {}, const Connection& connection = {})
        : m_installation(seed), m_connection(connection), m_inputs(seed + 1)
    {
        m_installation.SetPlan(plan);
    }

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
    // Sets the site's load and supply and how the meter is wired to it; the live
    // registers follow at once, the records from the next step on.
    void SetSite(CRegisterBank& bank, const SitePlan& plan, const Connection& connection);
    const SitePlan& Plan() const { return m_installation.Plan(); }
    const Connection& Wiring() const { return m_connection; }

private:
    void WriteFactorySettings(CRegisterBank& bank);
    // The live registers of the present moment, as the meter measures them through its wiring.
    PowerTotals Measure(CRegisterBank& bank);
    int Milliseconds() const { return static_cast<int>(m_clockFraction * 1000.0); }

    CInstallation m_installation;
    Connection m_connection;
    CEnergyRecorder m_energy;
    CDemandRecorder m_demand;
    CSwitchInputs m_inputs;
    CRelays m_relays;
    PowerTotals m_powers;
    double m_time = 0.0;
    double m_clockFraction = 0.0;
};
