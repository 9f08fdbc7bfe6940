#include "sim/Installation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double kNominalVoltage = 220.0;
constexpr double kRatedSecondary = 5.0;
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

// Degrees the current lags its voltage: the plan's power factor, or the plant's swing
// of 20 to 36 degrees lagging that the capacitor bank overcompensates.
double CInstallation::LoadAngle(double seconds, int phase) const
{
    if (m_plan.powerFactor) {
        const double pf = std::clamp((*m_plan.powerFactor)[static_cast<std::size_t>(phase)], -1.0, 1.0);
        const double angle = std::acos(std::abs(pf)) * 180.0 / std::numbers::pi;
        return pf < 0 ? -angle : angle;
    }
    const bool capacitorIn = std::fmod(seconds, kCapacitorCycle) >= kCapacitorCycle - kCapacitorOn;
    return 28.0 + 8.0 * Wave(seconds, 420.0, 1.3 * phase) - (capacitorIn ? 45.0 : 0.0);
}

ElectricalState CInstallation::At(double seconds)
{
    ElectricalState state;
    const double nominal = m_plan.phaseVoltage;
    for (int k = 0; k < kPhases; ++k) {
        const auto i = static_cast<std::size_t>(k);
        state.voltage[i] = nominal * (1.0 + kVoltageOffset[i] + 0.003 * Wave(seconds, 300.0, k)) +
                           Noise(0.05 * nominal / kNominalVoltage);
        state.voltageAngle[i] = kNominalAngle[i];
        const double share = m_plan.loadShare ? (*m_plan.loadShare)[i] * kRatedSecondary
                                              : kFullLoadCurrent[i] * LoadShare(seconds, k);
        state.current[i] = share * (1.0 + Noise(0.004));
        state.currentAngle[i] = kNominalAngle[i] - LoadAngle(seconds, k) + (m_plan.exporting ? 180.0 : 0.0);
    }
    state.frequency = 50.0 + 0.02 * Wave(seconds, 180.0) + Noise(0.003);
    FillHarmonics(state, seconds);
    return state;
}

// Odd orders dominate and fall with the order; even orders stay small. The
// current spectrum grows a little with the load, as rectifier loads do.
void CInstallation::FillHarmonics(ElectricalState& state, double seconds)
{
    FillVoltageHarmonics(state, seconds);
    for (int channel = kChannelIa; channel < kChannelCount; ++channel) {
        const int phase = channel % 3;
        const double level = 45.0 * (0.8 + 0.3 * LoadShare(seconds, phase));
        const double drift = 1.0 + 0.05 * Wave(seconds, 240.0, phase);
        auto& spectrum = state.harmonics[static_cast<std::size_t>(channel)];
        for (int order = kLowestOrder; order <= kHighestOrder; ++order) {
            const double odd = order % 2 == 1 ? 1.0 : 0.07;
            spectrum[static_cast<std::size_t>(order)] = level * odd * drift / order * (1.0 + Noise(0.02));
        }
    }
}

// The supply's own spectrum: odd orders falling with the order, the triplen ones
// mostly cancelled in a three-phase network, even orders small; scaled to the
// plan's THD, with the plan's orders set as they are.
void CInstallation::FillVoltageHarmonics(ElectricalState& state, double seconds)
{
    for (int channel = kChannelUa; channel <= kChannelUc; ++channel) {
        const double drift = 1.0 + 0.05 * Wave(seconds, 240.0, channel);
        auto& spectrum = state.harmonics[static_cast<std::size_t>(channel)];
        double squares = 0.0;
        for (int order = kLowestOrder; order <= kHighestOrder; ++order) {
            const double kind = order % 2 == 0 ? 0.07 : (order % 3 == 0 && order > 3 ? 0.3 : 1.0);
            const double percent = 9.0 * kind * drift / order * (1.0 + Noise(0.02));
            spectrum[static_cast<std::size_t>(order)] = percent;
            squares += percent * percent;
        }
        if (m_plan.voltageThd && squares > 0.0)
            for (double& percent : spectrum)
                percent *= *m_plan.voltageThd / std::sqrt(squares);
        for (const auto& [order, percent] : m_plan.voltageOrders)
            if (order >= kLowestOrder && order <= kHighestOrder)
                spectrum[static_cast<std::size_t>(order)] = percent;
    }
}
