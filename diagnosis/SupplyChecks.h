#pragma once

#include "diagnosis/Finding.h"
#include "diagnosis/Measurements.h"

#include <array>
#include <vector>

// The checks of the voltages and the supply: what reaches the voltage inputs, and
// the power quality of one reading.
namespace Diagnosis {

// Which phases have at least half the nominal voltage.
using PhasesPresent = std::array<bool, kPhaseCount>;
PhasesPresent VoltagePresent(const Measurements& m, double nominal);

// What the line voltages say of the voltage inputs: each the right way round (every line
// voltage near √3 times the phase voltage), one reversed (two near the phase voltage), or neither.
struct VoltageInputs
{
    enum Kind
    {
        NotChecked, // a phase has no voltage
        Right,
        OneReversed,
        Unclear
    };
    Kind kind = NotChecked;
    int reversed = 0;        // with OneReversed
    double phaseVoltage = 0; // the mean of the three
};
VoltageInputs JudgeVoltageInputs(const Measurements& m, const PhasesPresent& present);

// The nominal phase-to-neutral voltage on the primary side when none is declared: the
// standard secondary voltage nearest the measured one, times the PT ratio.
double AssumedNominal(const Measurements& m);

// voltage-missing, voltage-level, pt-polarity
void CheckVoltageInputs(const Measurements& m, double nominal, std::vector<Finding>& findings);
// frequency, voltage-unbalance, thd-voltage, harmonic-voltage
void CheckPowerQuality(const Measurements& m, double nominal, std::vector<Finding>& findings);

} // namespace Diagnosis
