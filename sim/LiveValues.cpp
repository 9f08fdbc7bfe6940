#include "sim/LiveValues.h"

#include "sim/MeterRegisters.h"
#include "sim/RegisterBank.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace {
using Phasor = std::complex<double>;
using Triple = std::array<double, 3>;

uint16_t U16(double value)
{
    return static_cast<uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

uint16_t S16(double value)
{
    return static_cast<uint16_t>(static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L)));
}

Phasor PhasorOf(double magnitude, double degrees)
{
    return std::polar(magnitude, degrees * std::numbers::pi / 180.0);
}

double Average(const Triple& values)
{
    return (values[0] + values[1] + values[2]) / 3.0;
}

// Largest deviation from the average, in 0.1 % of the average.
double UnbalanceTenths(const Triple& values)
{
    const double average = Average(values);
    if (average <= 0.0)
        return 0.0;
    double deviation = 0.0;
    for (double value : values)
        deviation = std::max(deviation, std::abs(value - average));
    return deviation / average * 1000.0;
}

void WriteTriple(CRegisterBank& bank, int address, const Triple& values, double scale)
{
    for (int k = 0; k < 3; ++k)
        bank.Set(address + k, U16(values[static_cast<std::size_t>(k)] * scale));
}

void WriteVoltages(const ElectricalState& state, CRegisterBank& bank)
{
    std::array<Phasor, 3> phase;
    for (std::size_t k = 0; k < 3; ++k)
        phase[k] = PhasorOf(state.voltage[k], state.voltageAngle[k]);
    const Triple line = {std::abs(phase[0] - phase[1]), std::abs(phase[1] - phase[2]),
                         std::abs(phase[2] - phase[0])};
    WriteTriple(bank, MeterReg::kCommonPhaseVoltage, state.voltage, 100.0);
    WriteTriple(bank, MeterReg::kPhaseVoltage, state.voltage, 100.0);
    WriteTriple(bank, MeterReg::kCommonLineVoltage, line, 100.0);
    WriteTriple(bank, MeterReg::kLineVoltage, line, 100.0);
    bank.Set(MeterReg::kPhaseVoltageUnbalance, U16(UnbalanceTenths(state.voltage)));
    bank.Set(MeterReg::kPhaseVoltageAverage, U16(Average(state.voltage) * 100.0));
    bank.Set(MeterReg::kLineVoltageUnbalance, U16(UnbalanceTenths(line)));
    bank.Set(MeterReg::kLineVoltageAverage, U16(Average(line) * 100.0));
    bank.Set(MeterReg::kZeroVoltage, U16(std::abs(phase[0] + phase[1] + phase[2]) / 3.0 * 100.0));
}

void WriteCurrents(const ElectricalState& state, CRegisterBank& bank)
{
    Phasor sum;
    for (std::size_t k = 0; k < 3; ++k)
        sum += PhasorOf(state.current[k], state.currentAngle[k]);
    const uint16_t zero = U16(std::abs(sum) / 3.0 * 1000.0);
    WriteTriple(bank, MeterReg::kCommonCurrent, state.current, 1000.0);
    WriteTriple(bank, MeterReg::kCurrent, state.current, 1000.0);
    bank.Set(MeterReg::kCommonZeroCurrent, zero);
    bank.Set(MeterReg::kZeroCurrent, zero);
    bank.Set(MeterReg::kCurrentUnbalance, U16(UnbalanceTenths(state.current)));
    bank.Set(MeterReg::kCurrentAverage, U16(Average(state.current) * 1000.0));
}

int16_t PowerFactor(int32_t p, int32_t s)
{
    return s == 0 ? 1000 : static_cast<int16_t>(std::lround(1000.0 * p / s));
}

PowerTotals WritePowers(const ElectricalState& state, CRegisterBank& bank)
{
    PowerTotals total;
    for (int k = 0; k < 3; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const double apparent = state.voltage[i] * state.current[i];
        const double angle = (state.voltageAngle[i] - state.currentAngle[i]) * std::numbers::pi / 180.0;
        const uint16_t p = S16(apparent * std::cos(angle) * 10.0);
        const uint16_t q = S16(apparent * std::sin(angle) * 10.0);
        const uint16_t s = U16(apparent * 10.0);
        bank.Set(MeterReg::kPhaseP + k, p);
        bank.Set(MeterReg::kPhaseQ + k, q);
        bank.Set(MeterReg::kPhaseS + k, s);
        bank.Set(MeterReg::kPhasePf + k, static_cast<uint16_t>(PowerFactor(static_cast<int16_t>(p), s)));
        total.p += static_cast<int16_t>(p);
        total.q += static_cast<int16_t>(q);
        total.s += s;
    }
    const auto pf = static_cast<uint16_t>(PowerFactor(total.p, total.s));
    for (int base : {MeterReg::kTotalP, MeterReg::kCommonP})
        bank.SetS32(base, total.p);
    for (int base : {MeterReg::kTotalQ, MeterReg::kCommonQ})
        bank.SetS32(base, total.q);
    for (int base : {MeterReg::kTotalS, MeterReg::kCommonS})
        bank.SetS32(base, total.s);
    bank.Set(MeterReg::kTotalPf, pf);
    bank.Set(MeterReg::kCommonPf, pf);
    const uint16_t frequency = S16(state.frequency * 100.0);
    bank.Set(MeterReg::kFrequency, frequency);
    bank.Set(MeterReg::kCommonFrequency, frequency);
    return total;
}

// Table index of order h of a channel: voltages at 6h - 3 + phase, currents at 6h + phase.
int HarmonicIndex(int channel, int order)
{
    return channel < kChannelIa ? 6 * order - 3 + channel : 6 * order + channel - kChannelIa;
}

// THD is the root sum of squares of the table entries as written; the K
// factor weighs each current order's square by the square of its order,
// the fundamental counting as 100 %.
void WriteHarmonics(const ElectricalState& state, CRegisterBank& bank)
{
    for (int channel = 0; channel < kChannelCount; ++channel) {
        double squares = 0.0;
        double weighted = 100.0 * 100.0;
        for (int order = kLowestOrder; order <= kHighestOrder; ++order) {
            const uint16_t tenths = U16(
                state.harmonics[static_cast<std::size_t>(channel)][static_cast<std::size_t>(order)] * 10.0);
            bank.Set(MeterReg::kHarmonics + HarmonicIndex(channel, order), tenths);
            squares += double(tenths) * tenths;
            weighted += (tenths / 10.0) * (tenths / 10.0) * order * order;
        }
        const uint16_t thd = U16(std::sqrt(squares));
        bank.Set(MeterReg::kHarmonics + channel, thd);
        bank.Set(MeterReg::kCommonThd + channel, thd);
        if (channel >= kChannelIa) {
            const double fundamentalAndHarmonics = 100.0 * 100.0 + squares / 100.0;
            const uint16_t k = U16(weighted / fundamentalAndHarmonics);
            bank.Set(MeterReg::kHarmonics + 6 + channel - kChannelIa, k);
            bank.Set(MeterReg::kCommonKFactor + channel - kChannelIa, k);
        }
    }
}
} // namespace

PowerTotals WriteLiveValues(const ElectricalState& state, CRegisterBank& bank)
{
    WriteVoltages(state, bank);
    WriteCurrents(state, bank);
    WriteHarmonics(state, bank);
    return WritePowers(state, bank);
}
