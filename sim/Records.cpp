#include "sim/Records.h"

#include "sim/MeterClock.h"
#include "sim/MeterRegisters.h"
#include "sim/RegisterBank.h"

#include <algorithm>
#include <cmath>

namespace {
// The transformer ratios as the meter's settings give them, for the
// primary-side energies; a zero secondary counts as ratio 1.
double PrimaryScale(const CRegisterBank& bank)
{
    const double ct = bank.Get(MeterReg::kCtSecondary)
                          ? double(bank.Get(MeterReg::kCtPrimary)) / bank.Get(MeterReg::kCtSecondary)
                          : 1.0;
    const double pt = bank.Get(MeterReg::kPtSecondary)
                          ? double(bank.GetU32(MeterReg::kPtPrimary)) / bank.Get(MeterReg::kPtSecondary)
                          : 1.0;
    return ct * pt;
}

// Counter order: import P, import Q, export P, export Q, then P of quadrants
// 1 to 4, then Q of quadrants 1 to 4.
std::array<double, 12> Shares(const PowerTotals& powers)
{
    const double p = powers.p;
    const double q = powers.q;
    const int quadrant = p >= 0 ? (q >= 0 ? 0 : 3) : (q >= 0 ? 1 : 2);
    std::array<double, 12> shares{std::max(p, 0.0), std::max(q, 0.0), std::max(-p, 0.0), std::max(-q, 0.0)};
    shares[4 + static_cast<std::size_t>(quadrant)] = std::abs(p);
    shares[8 + static_cast<std::size_t>(quadrant)] = std::abs(q);
    return shares;
}

uint16_t U16(double value)
{
    return static_cast<uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

int32_t S32(double value)
{
    return static_cast<int32_t>(std::lround(value));
}
} // namespace

void CEnergyRecorder::Integrate(CRegisterBank& bank, const PowerTotals& powers, double seconds)
{
    // 0.1 W (secondary) over seconds, in 0.1 kWh (primary): / 10 W, / 3600 s, / 1000, * 10.
    const double toCounterUnits = PrimaryScale(bank) * seconds / 3.6e6;
    const std::array<double, 12> shares = Shares(powers);
    for (std::size_t i = 0; i < shares.size(); ++i) {
        m_fractions[i] += shares[i] * toCounterUnits;
        const double whole = std::floor(m_fractions[i]);
        m_fractions[i] -= whole;
        const int address = MeterReg::kEnergy + 2 * static_cast<int>(i);
        bank.SetU32(address, bank.GetU32(address) + static_cast<uint32_t>(whole));
    }
    Mirror(bank);
}

void CEnergyRecorder::Clear(CRegisterBank& bank)
{
    for (int counter = 0; counter < MeterReg::kEnergyCount; ++counter)
        bank.SetU32(MeterReg::kEnergy + 2 * counter, 0);
    m_fractions.fill(0.0);
    Mirror(bank);
}

// The common data block repeats the first four counters.
void CEnergyRecorder::Mirror(CRegisterBank& bank) const
{
    for (int counter = 0; counter < 4; ++counter)
        bank.SetU32(MeterReg::kCommonEnergy + 2 * counter, bank.GetU32(MeterReg::kEnergy + 2 * counter));
}

void CDemandRecorder::Add(CRegisterBank& bank, const PowerTotals& powers, double seconds, std::time_t now)
{
    const Sample sample{
        seconds,
        {double(bank.Get(MeterReg::kCurrentAverage)), double(powers.p), double(powers.q), double(powers.s)}};
    m_window.push_back(sample);
    m_windowSeconds += seconds;
    for (std::size_t i = 0; i < 4; ++i)
        m_sums[i] += sample.values[i] * seconds;
    while (m_windowSeconds - m_window.front().seconds >= kPeriodSeconds) {
        for (std::size_t i = 0; i < 4; ++i)
            m_sums[i] -= m_window.front().values[i] * m_window.front().seconds;
        m_windowSeconds -= m_window.front().seconds;
        m_window.pop_front();
    }
    WritePresent(bank);
    const int maxima[4] = {MeterReg::kDemandMaxCurrent, MeterReg::kDemandMaxP, MeterReg::kDemandMaxQ,
                           MeterReg::kDemandMaxS};
    const std::array<double, 4> present = Present();
    if (U16(present[0]) > bank.Get(maxima[0])) {
        bank.Set(maxima[0], U16(present[0]));
        MeterClock::WriteStamp(bank, maxima[0] + 1, now);
    }
    for (std::size_t i = 1; i < 4; ++i)
        if (S32(present[i]) > bank.GetS32(maxima[i])) {
            bank.SetS32(maxima[i], S32(present[i]));
            MeterClock::WriteStamp(bank, maxima[i] + 2, now);
        }
}

void CDemandRecorder::Clear(CRegisterBank& bank, std::time_t now)
{
    WritePresent(bank);
    const std::array<double, 4> present = Present();
    bank.Set(MeterReg::kDemandMaxCurrent, U16(present[0]));
    MeterClock::WriteStamp(bank, MeterReg::kDemandMaxCurrent + 1, now);
    const int maxima[3] = {MeterReg::kDemandMaxP, MeterReg::kDemandMaxQ, MeterReg::kDemandMaxS};
    for (std::size_t i = 0; i < 3; ++i) {
        bank.SetS32(maxima[i], S32(present[i + 1]));
        MeterClock::WriteStamp(bank, maxima[i] + 2, now);
    }
}

std::array<double, 4> CDemandRecorder::Present() const
{
    // Before any time has passed the demand is the first sample itself.
    if (m_windowSeconds <= 0.0)
        return m_window.empty() ? std::array<double, 4>{} : m_window.back().values;
    std::array<double, 4> present{};
    for (std::size_t i = 0; i < 4; ++i)
        present[i] = m_sums[i] / m_windowSeconds;
    return present;
}

// The demand block at 300 and its copy in the common data block.
void CDemandRecorder::WritePresent(CRegisterBank& bank) const
{
    const std::array<double, 4> present = Present();
    for (int base : {MeterReg::kDemand, MeterReg::kCommonDemand}) {
        bank.Set(base, U16(present[0]));
        for (int i = 1; i < 4; ++i)
            bank.SetS32(base + 1 + 2 * (i - 1), S32(present[static_cast<std::size_t>(i)]));
    }
}

namespace {
// The twelve tracked quantities in record order, signed where they may be.
std::array<int32_t, 12> PresentMaxMinValues(const CRegisterBank& bank)
{
    std::array<int32_t, 12> values{};
    for (int k = 0; k < 3; ++k) {
        values[static_cast<std::size_t>(k)] = bank.Get(MeterReg::kCurrent + k);
        values[static_cast<std::size_t>(3 + k)] = bank.GetS32(MeterReg::kCommonP + 2 * k);
        values[static_cast<std::size_t>(6 + k)] = bank.Get(MeterReg::kHarmonics + 3 + k);
        values[static_cast<std::size_t>(9 + k)] = bank.Get(MeterReg::kHarmonics + k);
    }
    return values;
}

// Record layout: Ia, Ib, Ic one register each, P, Q, S two, six THD one each.
int RecordOffset(int quantity)
{
    return quantity < 3 ? quantity : (quantity < 6 ? 3 + 2 * (quantity - 3) : quantity + 3);
}

int32_t RecordValue(const CRegisterBank& bank, int base, int quantity)
{
    const int address = base + RecordOffset(quantity);
    return quantity >= 3 && quantity < 6 ? bank.GetS32(address) : bank.Get(address);
}

void SetRecordValue(CRegisterBank& bank, int base, int quantity, int32_t value)
{
    const int address = base + RecordOffset(quantity);
    if (quantity >= 3 && quantity < 6)
        bank.SetS32(address, value);
    else
        bank.Set(address, static_cast<uint16_t>(value));
}
} // namespace

void MaxMinRecords::Track(CRegisterBank& bank)
{
    const std::array<int32_t, 12> present = PresentMaxMinValues(bank);
    for (int quantity = 0; quantity < 12; ++quantity) {
        const int32_t value = present[static_cast<std::size_t>(quantity)];
        if (value > RecordValue(bank, MeterReg::kMaxima, quantity))
            SetRecordValue(bank, MeterReg::kMaxima, quantity, value);
        if (value < RecordValue(bank, MeterReg::kMinima, quantity))
            SetRecordValue(bank, MeterReg::kMinima, quantity, value);
    }
}

void MaxMinRecords::Clear(CRegisterBank& bank)
{
    const std::array<int32_t, 12> present = PresentMaxMinValues(bank);
    for (int quantity = 0; quantity < 12; ++quantity) {
        SetRecordValue(bank, MeterReg::kMaxima, quantity, present[static_cast<std::size_t>(quantity)]);
        SetRecordValue(bank, MeterReg::kMinima, quantity, present[static_cast<std::size_t>(quantity)]);
    }
}
