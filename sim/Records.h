#pragma once

#include "sim/LiveValues.h"

#include <array>
#include <ctime>
#include <deque>

class CRegisterBank;

// The twelve energy counters (import, export and the four quadrants), which
// integrate the total powers on the primary side in 0.1 kWh and 0.1 kvarh.
// The counters live in the registers; this keeps the fractions between steps.
class CEnergyRecorder
{
public:
    void Integrate(CRegisterBank& bank, const PowerTotals& powers, double seconds);
    void Clear(CRegisterBank& bank);
    void Mirror(CRegisterBank& bank) const;

private:
    std::array<double, 12> m_fractions{};
};

// Demands as sliding averages over the demand period, and their maximum
// records with the moment each was reached.
class CDemandRecorder
{
public:
    static constexpr double kPeriodSeconds = 900.0;

    void Add(CRegisterBank& bank, const PowerTotals& powers, double seconds, std::time_t now);
    // The maxima start again from the present demands, stamped now.
    void Clear(CRegisterBank& bank, std::time_t now);

private:
    struct Sample
    {
        double seconds;
        std::array<double, 4> values; // average current, P, Q, S in register units
    };

    std::array<double, 4> Present() const;
    void WritePresent(CRegisterBank& bank) const;

    std::deque<Sample> m_window;
    double m_windowSeconds = 0.0;
    std::array<double, 4> m_sums{};
};

// Maxima and minima since the last clear of Ia, Ib, Ic, P, Q, S and the THD of
// the three currents and the three voltages.
namespace MaxMinRecords {
void Track(CRegisterBank& bank);
void Clear(CRegisterBank& bank);
} // namespace MaxMinRecords
