#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <random>

// Harmonic channels in the order of the meter's harmonic table.
enum Channel
{
    kChannelUa,
    kChannelUb,
    kChannelUc,
    kChannelIa,
    kChannelIb,
    kChannelIc,
    kChannelCount
};

inline constexpr int kLowestOrder = 2;
inline constexpr int kHighestOrder = 31;

// What the meter's inputs see at one moment, on the secondary side of the
// transformers: phase voltages and currents with their angles, the frequency
// and each channel's harmonic content in percent of the fundamental.
struct ElectricalState
{
    std::array<double, 3> voltage{};      // V rms, phase to neutral
    std::array<double, 3> voltageAngle{}; // degrees
    std::array<double, 3> current{};      // A rms
    std::array<double, 3> currentAngle{}; // degrees
    double frequency = 50.0;              // Hz
    std::array<std::array<double, kHighestOrder + 1>, kChannelCount> harmonics{};
};

inline constexpr int kPhases = 3;
using PerPhase = std::array<double, kPhases>;

// What the simulated site is set to. What is left unset keeps the plant's own
// behaviour: a load that swings over minutes with a capacitor bank switching in
// now and then, and a little distortion.
struct SitePlan
{
    std::optional<PerPhase> powerFactor; // per phase, the cosine: above 0 lagging, below 0 leading
    std::optional<PerPhase> loadShare;   // per phase, of the CT's 5 A secondary
    bool exporting = false;              // the site feeds power into the supply
    double phaseVoltage = 220.0;         // V, phase to neutral on the PT's secondary
    std::optional<double> voltageThd;    // %: the plant's voltage spectrum scaled to it
    std::map<int, double> voltageOrders; // %, by order, on every phase
};

// One three-phase installation behind 5 A current transformers: a mostly
// inductive load that swings over minutes, a capacitor bank that switches in
// now and then, slightly unequal phase voltages and a little noise; or the
// load, flow and distortion a plan sets.
class CInstallation
{
public:
    explicit CInstallation(uint32_t seed) : m_random(seed) {}

    void SetPlan(const SitePlan& plan) { m_plan = plan; }
    const SitePlan& Plan() const { return m_plan; }
    ElectricalState At(double seconds);

private:
    double Noise(double spread);
    double LoadAngle(double seconds, int phase) const;
    void FillHarmonics(ElectricalState& state, double seconds);
    void FillVoltageHarmonics(ElectricalState& state, double seconds);

    std::mt19937 m_random;
    SitePlan m_plan;
};
