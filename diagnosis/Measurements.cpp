#include "diagnosis/Measurements.h"

#include "meter/PageItems.h"

#include <span>

namespace Diagnosis {
namespace {
namespace Realtime = PageItems::Realtime;
namespace BlockA = PageReads::BlockA;

constexpr Realtime::Item kVoltage[] = {Realtime::Ua, Realtime::Ub, Realtime::Uc};
constexpr Realtime::Item kLineVoltage[] = {Realtime::Uab, Realtime::Ubc, Realtime::Uca};
constexpr Realtime::Item kCurrent[] = {Realtime::Ia, Realtime::Ib, Realtime::Ic};
constexpr Realtime::Item kActive[] = {Realtime::Pa, Realtime::Pb, Realtime::Pc};
constexpr Realtime::Item kReactive[] = {Realtime::Qa, Realtime::Qb, Realtime::Qc};
constexpr HarmonicTable::Channel kVoltageChannel[] = {
    HarmonicTable::kChannels[3], HarmonicTable::kChannels[4], HarmonicTable::kChannels[5]};

int Word(const CheckInput& input, int entry)
{
    return input.blockA[static_cast<std::size_t>(entry)] & 0xFFFF;
}

// Tenths of a percent in the harmonic table.
double Percent(const CheckInput& input, int index)
{
    return (input.harmonics[static_cast<std::size_t>(index)] & 0xFFFF) / 10.0;
}
} // namespace

std::optional<Measurements> Measure(const CheckInput& input)
{
    const std::optional<TransformerRatios> ratios =
        RatiosOfRegisters(std::span<const int32_t, 5>(input.blockA.data(), 5));
    if (!ratios)
        return std::nullopt;
    Measurements m;
    m.ratios = *ratios;
    m.ctPrimary = Word(input, BlockA::kCtPrimary);
    m.wiring = Word(input, BlockA::kWiring);
    const auto value = [&](Realtime::Item item) {
        return MeasurementValue(PageItems::kRealtime[item], input.realtime, m.ratios);
    };
    const auto counts = [&](Realtime::Item item) {
        return static_cast<int>(static_cast<int16_t>(
            input.realtime[static_cast<std::size_t>(PageItems::kRealtime[item].entry)] & 0xFFFF));
    };
    for (int k = 0; k < kPhaseCount; ++k) {
        PhaseMeasurement& phase = m.phases[static_cast<std::size_t>(k)];
        phase.voltage = value(kVoltage[k]);
        phase.current = value(kCurrent[k]);
        phase.p = value(kActive[k]);
        phase.q = value(kReactive[k]);
        phase.pCounts = counts(kActive[k]);
        phase.qCounts = counts(kReactive[k]);
        const HarmonicTable::Channel& channel = kVoltageChannel[k];
        phase.voltageThd = Percent(input, channel.thdIndex);
        for (int order = HarmonicTable::kFirstOrder; order <= HarmonicTable::kLastOrder; ++order)
            phase.voltageOrders[static_cast<std::size_t>(order)] =
                Percent(input, 6 * order + channel.orderOffset);
        m.lineVoltages[static_cast<std::size_t>(k)] = value(kLineVoltage[k]);
    }
    m.zeroSequenceVoltage = value(Realtime::ZeroSequenceVoltage);
    m.zeroSequenceCurrent = value(Realtime::ZeroSequenceCurrent);
    m.averageCurrent = value(Realtime::CurrentAverage);
    m.totalP = value(Realtime::P);
    m.voltageUnbalance = value(Realtime::PhaseVoltageUnbalance);
    m.frequency = value(Realtime::F);
    return m;
}

} // namespace Diagnosis
