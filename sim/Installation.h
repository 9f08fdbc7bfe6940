#pragma once

#include <array>
#include <cstdint>
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

// One three-phase installation behind 5 A current transformers: a mostly
// inductive load that swings over minutes, a capacitor bank that switches in
// now and then, slightly unequal phase voltages and a little noise.
class CInstallation
{
public:
    explicit CInstallation(uint32_t seed) : m_random(seed) {}

    ElectricalState At(double seconds);

private:
    double Noise(double spread);
    void FillHarmonics(ElectricalState& state, double seconds);

    std::mt19937 m_random;
};
