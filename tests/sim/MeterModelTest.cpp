// The physical model over a simulated hour, run faster than real time.

#include "sim/MeterRegisters.h"
#include "sim/SimMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

using namespace std::chrono_literals;

namespace {
int16_t Signed(uint16_t value)
{
    return static_cast<int16_t>(value);
}

std::time_t ClockOf(const CSimMeter& meter)
{
    const auto fields = meter.Registers(MeterReg::kClock, 6);
    std::tm time{};
    time.tm_year = fields[0] + 100;
    time.tm_mon = fields[1] - 1;
    time.tm_mday = fields[2];
    time.tm_hour = fields[3];
    time.tm_min = fields[4];
    time.tm_sec = fields[5];
    return timegm(&time);
}

std::vector<uint16_t> StampOf(std::time_t time)
{
    std::tm fields{};
    gmtime_r(&time, &fields);
    auto pair = [](int high, int low) { return static_cast<uint16_t>(high << 8 | low); };
    return {pair(fields.tm_year - 100, fields.tm_mon + 1), pair(fields.tm_mday, fields.tm_hour),
            pair(fields.tm_min, fields.tm_sec)};
}

void ExpectPowersConsistent(const CSimMeter& meter)
{
    const auto live = meter.Registers(100, 39);
    auto at = [&](int address) { return live[static_cast<std::size_t>(address - 100)]; };
    int32_t sums[3] = {};
    for (int k = 0; k < 3; ++k) {
        const double p = Signed(at(MeterReg::kPhaseP + k));
        const double q = Signed(at(MeterReg::kPhaseQ + k));
        const double s = at(MeterReg::kPhaseS + k);
        EXPECT_NEAR(s, std::hypot(p, q), 1.5) << "phase " << k;
        EXPECT_NEAR(Signed(at(MeterReg::kPhasePf + k)), 1000.0 * p / s, 1.0);
        sums[0] += Signed(at(MeterReg::kPhaseP + k));
        sums[1] += Signed(at(MeterReg::kPhaseQ + k));
        sums[2] += at(MeterReg::kPhaseS + k);
    }
    EXPECT_EQ(meter.RegisterS32(MeterReg::kTotalP), sums[0]);
    EXPECT_EQ(meter.RegisterS32(MeterReg::kTotalQ), sums[1]);
    EXPECT_EQ(meter.RegisterS32(MeterReg::kTotalS), sums[2]);
    EXPECT_EQ(meter.RegisterS32(MeterReg::kCommonP), sums[0]);
    EXPECT_EQ(meter.RegisterS32(MeterReg::kCommonS), sums[2]);
}

void ExpectThdFromSpectrum(const CSimMeter& meter)
{
    const auto table = meter.Registers(MeterReg::kHarmonics, 189);
    for (int channel = 0; channel < 6; ++channel) {
        double squares = 0.0;
        for (int order = 2; order <= 31; ++order) {
            const int index = channel < 3 ? 6 * order - 3 + channel : 6 * order + channel - 3;
            squares += std::pow(table[static_cast<std::size_t>(index)], 2);
        }
        EXPECT_EQ(table[static_cast<std::size_t>(channel)], std::lround(std::sqrt(squares)))
            << "channel " << channel;
        EXPECT_EQ(meter.Register(MeterReg::kCommonThd + channel), table[static_cast<std::size_t>(channel)]);
    }
}

void ExpectMaxMinAround(const CSimMeter& meter)
{
    for (int k = 0; k < 3; ++k) {
        EXPECT_GE(meter.Register(MeterReg::kMaxima + k), meter.Register(MeterReg::kCurrent + k));
        EXPECT_LE(meter.Register(MeterReg::kMinima + k), meter.Register(MeterReg::kCurrent + k));
        EXPECT_GE(meter.RegisterS32(MeterReg::kMaxima + 3 + 2 * k),
                  meter.RegisterS32(MeterReg::kCommonP + 2 * k));
        EXPECT_LE(meter.RegisterS32(MeterReg::kMinima + 3 + 2 * k),
                  meter.RegisterS32(MeterReg::kCommonP + 2 * k));
    }
}

// Energy expected from the powers the meter showed, in counter units.
struct EnergyExpectation
{
    double importActive = 0.0;
    double importReactive = 0.0;
    double exportReactive = 0.0;
};

class SimulatedHour : public testing::Test
{
protected:
    CSimMeter meter;
};
} // namespace

TEST_F(SimulatedHour, keepsPowersConsistentAndValuesPlausibleAtEverySecond)
{
    bool sawCapacitive = false;
    for (int second = 0; second < 3600; ++second) {
        meter.Advance(1s);
        if (second % 7 == 0) {
            ExpectPowersConsistent(meter);
            ExpectThdFromSpectrum(meter);
            ExpectMaxMinAround(meter);
        }
        for (int k = 0; k < 3; ++k)
            ASSERT_NEAR(meter.Register(MeterReg::kPhaseVoltage + k), 22000, 400) << "at " << second;
        ASSERT_NEAR(meter.Register(MeterReg::kFrequency), 5000, 5);
        ASSERT_NEAR(meter.Register(MeterReg::kLineVoltage), 38105, 700);
        sawCapacitive = sawCapacitive || meter.RegisterS32(MeterReg::kTotalQ) < 0;
        if (HasFailure())
            return;
    }
    EXPECT_TRUE(sawCapacitive) << "the capacitor bank switches in within the hour";
}

TEST_F(SimulatedHour, growsTheEnergyCountersByTheIntegralOfThePower)
{
    // CT 100/5 and PT 220/220: 0.1 W secondary for a second is 20 / 3.6e6 of 0.1 kWh.
    const double scale = 20.0 / 3.6e6;
    const uint32_t startImport =
        meter.Registers(MeterReg::kEnergy, 2)[0] | meter.Register(MeterReg::kEnergy + 1) << 16;
    const int32_t startQ1 = meter.RegisterS32(MeterReg::kEnergy + 16);
    const int32_t startQ4 = meter.RegisterS32(MeterReg::kEnergy + 22);
    const int32_t startExport = meter.RegisterS32(MeterReg::kEnergy + 6);
    EnergyExpectation expected;
    for (int second = 0; second < 3600; ++second) {
        meter.Advance(1s);
        const double p = meter.RegisterS32(MeterReg::kTotalP);
        const double q = meter.RegisterS32(MeterReg::kTotalQ);
        expected.importActive += std::max(p, 0.0) * scale;
        expected.importReactive += std::max(q, 0.0) * scale;
        expected.exportReactive += std::max(-q, 0.0) * scale;
    }
    const auto import = static_cast<uint32_t>(meter.RegisterS32(MeterReg::kEnergy));
    EXPECT_NEAR(import - startImport, expected.importActive, 1.0);
    EXPECT_GT(expected.importActive, 100.0) << "tens of kWh in an hour";
    EXPECT_NEAR(meter.RegisterS32(MeterReg::kEnergy + 16) - startQ1, expected.importReactive, 1.0);
    EXPECT_NEAR(meter.RegisterS32(MeterReg::kEnergy + 6) - startExport, expected.exportReactive, 1.0);
    EXPECT_NEAR(meter.RegisterS32(MeterReg::kEnergy + 22) - startQ4, expected.exportReactive, 1.0);
    EXPECT_EQ(meter.RegisterS32(MeterReg::kCommonEnergy), meter.RegisterS32(MeterReg::kEnergy));
}

TEST_F(SimulatedHour, keepsEachDemandMaximumAtOrAbovePresentStampedWhenReached)
{
    const int maxima[] = {MeterReg::kDemandMaxP, MeterReg::kDemandMaxQ, MeterReg::kDemandMaxS};
    int raised = 0;
    for (int second = 0; second < 3600; ++second) {
        std::vector<int32_t> before;
        for (int address : maxima)
            before.push_back(meter.RegisterS32(address));
        meter.Advance(1s);
        EXPECT_GE(meter.Register(MeterReg::kDemandMaxCurrent), meter.Register(MeterReg::kDemand));
        for (int i = 0; i < 3; ++i) {
            EXPECT_GE(meter.RegisterS32(maxima[i]), meter.RegisterS32(MeterReg::kDemand + 1 + 2 * i));
            if (meter.RegisterS32(maxima[i]) != before[static_cast<std::size_t>(i)]) {
                ++raised;
                EXPECT_EQ(meter.Registers(maxima[i] + 2, 3), StampOf(ClockOf(meter))) << "at " << second;
            }
        }
        if (HasFailure())
            return;
    }
    EXPECT_GT(raised, 0);
    EXPECT_EQ(meter.RegisterS32(MeterReg::kCommonDemand + 1), meter.RegisterS32(MeterReg::kDemand + 1));
}

TEST_F(SimulatedHour, storesEveryInputChangeAsAnEventRecord)
{
    int changes = 0;
    for (int second = 0; second < 3600; ++second) {
        const uint16_t before = meter.Register(MeterReg::kInputs);
        meter.Advance(1s);
        const uint16_t after = meter.Register(MeterReg::kInputs);
        if (before == after)
            continue;
        ++changes;
        const int count = meter.Register(MeterReg::kCommonEventCount);
        ASSERT_EQ(count, std::min(changes, 50));
        const auto record = meter.Registers(MeterReg::kEvents + 4 * (count - 1), 4);
        const int input = std::countr_zero(static_cast<unsigned>(before ^ after)) + 1;
        const bool closed = (after >> (input - 1)) & 1;
        EXPECT_EQ(record[0], input | (closed ? 0x0100 : 0));
        EXPECT_LT(record[1], 1000);
        EXPECT_EQ(record[2] | record[3] << 16, ClockOf(meter));
    }
    EXPECT_GT(changes, 3) << "inputs change now and then";
}

TEST_F(SimulatedHour, runsTheClockAndGoesOnFromAClockSetByAMaster)
{
    meter.SetRegisters(MeterReg::kClock, {9, 7, 14, 23, 59, 30});
    meter.Advance(3600s);
    EXPECT_EQ(meter.Registers(MeterReg::kClock, 6), (std::vector<uint16_t>{9, 7, 15, 0, 59, 30}));
}

TEST(FrozenMeter, keepsValuesATestSetUntilItAdvances)
{
    CSimMeter meter;
    meter.SetRegister(MeterReg::kPhaseVoltage, 23456);
    meter.Update();
    EXPECT_EQ(meter.Register(MeterReg::kPhaseVoltage), 23456);
    meter.Advance(1s);
    EXPECT_NE(meter.Register(MeterReg::kPhaseVoltage), 23456);
}

TEST(RelayAlarm, closesALocalRelayAfterTheDelayAndOpensItAfterTheReturnTime)
{
    CSimMeter meter;
    // Relay 2 in local mode on Umax above 90 %, 3 s delay, 5 s return time.
    meter.SetRegisters(MeterReg::kRelayAlarm + 5, {0, 1, 90, 80, 3});
    meter.SetRegister(MeterReg::kReturnTime + 1, 5);
    meter.Advance(2s);
    EXPECT_FALSE(meter.Relay(2));
    meter.Advance(1s);
    EXPECT_TRUE(meter.Relay(2));
    EXPECT_EQ(meter.Register(MeterReg::kRelays), 0x0002);
    meter.SetRegister(MeterReg::kRelayAlarm + 7, 150);
    meter.Advance(4s);
    EXPECT_TRUE(meter.Relay(2));
    meter.Advance(1s);
    EXPECT_FALSE(meter.Relay(2));
    EXPECT_FALSE(meter.Relay(1)) << "remote relays do not follow alarms";
}

TEST(SwitchInputs, recordAChangeOnCommandAndNothingWhenUnchanged)
{
    CSimMeter meter;
    meter.SetRegisters(MeterReg::kClock, {9, 7, 14, 10, 25, 9});
    meter.SetInput(3, true);
    meter.SetInput(3, true);
    EXPECT_EQ(meter.Register(MeterReg::kInputs), 0x0004);
    EXPECT_EQ(meter.Register(MeterReg::kCommonEventCount), 1);
    const auto record = meter.Registers(MeterReg::kEvents, 4);
    EXPECT_EQ(record[0], 0x0103);
    EXPECT_EQ(record[2] | record[3] << 16, 1247567109);
}

TEST(SwitchInputs, keepTheLatestFiftyEventsWhenTheAreaIsFull)
{
    CSimMeter meter;
    for (int change = 0; change < 52; ++change)
        meter.SetInput(1 + change % 2, change % 4 < 2);
    EXPECT_EQ(meter.Register(MeterReg::kCommonEventCount), 50);
    EXPECT_EQ(meter.Register(MeterReg::kEvents), 0x0001) << "the two oldest records were dropped";
    EXPECT_EQ(meter.Register(MeterReg::kEvents + 4 * 49), 0x0002);
}
