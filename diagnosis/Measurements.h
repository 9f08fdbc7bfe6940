#pragma once

#include "comm/ModbusRtu.h"
#include "diagnosis/CheckInput.h"
#include "diagnosis/Finding.h"
#include "meter/HarmonicTable.h"

#include <array>
#include <optional>

// A reading of the meter as the check weighs it: primary values scaled by the
// ratios of block A, and the raw counts where the resolution matters.
namespace Diagnosis {

struct PhaseMeasurement
{
    double voltage = 0; // V, phase to neutral
    double current = 0; // A
    double p = 0;       // W
    double q = 0;       // var
    int pCounts = 0;    // the registers as sent: tenths of a watt and a var on the secondaries
    int qCounts = 0;
    double voltageThd = 0;                                             // % of the fundamental
    std::array<double, HarmonicTable::kLastOrder + 1> voltageOrders{}; // % of the fundamental, by order
};

struct Measurements
{
    TransformerRatios ratios;
    int ctPrimary = 0; // A, the CT's rated primary current
    int wiring = 0;    // 0 four lines, 1 three lines
    std::array<PhaseMeasurement, kPhaseCount> phases;
    std::array<double, kPhaseCount> lineVoltages{}; // Uab, Ubc, Uca
    double zeroSequenceVoltage = 0;
    double zeroSequenceCurrent = 0;
    double averageCurrent = 0;
    double totalP = 0;
    double voltageUnbalance = 0; // %, as the meter figures it
    double frequency = 0;        // Hz
};

// Nothing when block A gives no transformer ratios (a secondary of 0).
std::optional<Measurements> Measure(const CheckInput& input);

} // namespace Diagnosis
