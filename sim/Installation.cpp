#include "sim/Installation.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kNominalVoltage = 220.0;
// Phase currents at full load as fractions of the 5 A secondary rating.
constexpr std::array<double, 3> kFullLoadCurrent = {3.6, 3.3, 3.9};
constexpr std::array<double, 3> kVoltageOffset = {0.004, -0.006, 0.002};
constexpr std::array<double, 3> kNominalAngle = {0.0, -120.3, 119.8};
// The capacitor bank is in for five minutes of every half hour.
constexpr double kCapacitorCycle = 1800.0;
constexpr double kCapacitorOn = 300.0;

double Wave(double seconds, double period, double phase = 0.0)
{
    return std::sin(2.0 * std::numbers::pi * seconds / period + phase);
}

// Share of full load: a slow daily-like swing plus shorter machine cycles.
double LoadShare(double seconds, int phase)
{
    return 0.72 + 0.18 * Wave(seconds, 900.0) + 0.07 * Wave(seconds, 97.0, 1.7 * phase);
}
} // namespace

double CInstallation::Noise(double spread)
{
    return std::uniform_real_distribution<double>(-spread, spread)(m_random);
}

ElectricalState CInstallation::At(double seconds)
{
    ElectricalState state;
    const bool capacitorIn = std::fmod(seconds, kCapacitorCycle) >= kCapacitorCycle - kCapacitorOn;
    for (int k = 0; k < 3; ++k) {
        const auto i = static_cast<std::size_t>(k);
        state.voltage[i] =
            kNominalVoltage * (1.0 + kVoltageOffset[i] + 0.003 * Wave(seconds, 300.0, k)) + Noise(0.05);
        state.voltageAngle[i] = kNominalAngle[i];
        state.current[i] = kFullLoadCurrent[i] * LoadShare(seconds, k) * (1.0 + Noise(0.004));
        // Lagging by 20 to 36 degrees; the capacitor bank overcompensates.
        const double lag = 28.0 + 8.0 * Wave(seconds, 420.0, 1.3 * k) - (capacitorIn ? 45.0 : 0.0);
        state.currentAngle[i] = kNominalAngle[i] - lag;
    }
    state.frequency = 50.0 + 0.02 * Wave(seconds, 180.0) + Noise(0.003);
    FillHarmonics(state, seconds);
    return state;
}

// Odd orders dominate and fall with the order; even orders stay small. The
// current spectrum grows a little with the load, as rectifier loads do.
void CInstallation::FillHarmonics(ElectricalState& state, double seconds)
{
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const bool isCurrent = channel >= kChannelIa;
        const int phase = channel % 3;
        const double level = isCurrent ? 45.0 * (0.8 + 0.3 * LoadShare(seconds, phase)) : 9.0;
        const double drift = 1.0 + 0.05 * Wave(seconds, 240.0, phase);
        auto& spectrum = state.harmonics[static_cast<std::size_t>(channel)];
        for (int order = kLowestOrder; order <= kHighestOrder; ++order) {
            const double odd = order % 2 == 1 ? 1.0 : 0.07;
            const double percent = level * odd * drift / order * (1.0 + Noise(0.02));
            spectrum[static_cast<std::size_t>(order)] = percent;
        }
    }
}
