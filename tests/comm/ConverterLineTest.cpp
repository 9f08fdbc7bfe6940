#include "FrameBytes.h"
#include "MeterLine.h"
#include "comm/ConverterEcho.h"
#include "comm/FrameGap.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

namespace {
void SetLine(MeterLine& line, bool echo, int quietNeededMs)
{
    LineTiming timing = line.Server().Timing();
    timing.echo = echo;
    timing.quietNeeded = std::chrono::milliseconds(quietNeededMs);
    line.Server().SetTiming(timing);
}

int Count(const std::vector<RequestRecord>& records, Outcome outcome)
{
    return static_cast<int>(std::count_if(
        records.begin(), records.end(), [outcome](const RequestRecord& r) { return r.outcome == outcome; }));
}

// Reads, a write of registers and a coil switched, each checked as the pages check them.
void ExpectEveryKindOfRequestWorks(MeterLine& line)
{
    ASSERT_TRUE(Modbus::ReadRegisters(1000, 5, 300, 300));
    EXPECT_EQ(RegisterBlock[1], 5);
    RegisterBlock[0] = 17;
    EXPECT_TRUE(Modbus::WriteRegisters(1015, 1, 300, 250).confirmed);
    EXPECT_EQ(line.Get(1015), 17);
    EXPECT_TRUE(Modbus::WriteCoil(1, 0xFF00, 200, 250).confirmed);
    EXPECT_TRUE(line.Meter().Relay(2));
}
} // namespace

TEST(ConverterEchoTest, onlyAnExactCopyOfTheRequestIsTakenForTheEcho)
{
    const std::vector<uint8_t> read = WithCrc(Bytes("010300640002"));
    std::vector<uint8_t> arrived = read;
    EXPECT_TRUE(ConverterEcho::MayBeArriving(read.data(), 8, arrived.data(), 5));
    EXPECT_EQ(ConverterEcho::Length(read.data(), 8, arrived.data(), 8, false), 8);
    arrived[4] ^= 1;
    EXPECT_FALSE(ConverterEcho::MayBeArriving(read.data(), 8, arrived.data(), 5));
    EXPECT_EQ(ConverterEcho::Length(read.data(), 8, arrived.data(), 8, true), 0);

    // A coil write is answered by a copy: alone it is the reply, unless the line is known to echo.
    const std::vector<uint8_t> coil = WithCrc(Bytes("01050002ff00"));
    std::vector<uint8_t> twice = coil;
    twice.insert(twice.end(), coil.begin(), coil.end());
    EXPECT_EQ(ConverterEcho::Length(coil.data(), 8, twice.data(), 8, false), 0);
    EXPECT_EQ(ConverterEcho::Length(coil.data(), 8, twice.data(), 8, true), 8);
    EXPECT_EQ(ConverterEcho::Length(coil.data(), 8, twice.data(), 16, false), 8);
}

TEST(ConverterLineTest, aConverterThatEchoesWorksWithAndWithoutFixedWaits)
{
    MeterLine line;
    SlaveId = 1;
    line.Set(1000, {100, 5, 220, 0, 220});
    SetLine(line, true, 0);
    ExpectEveryKindOfRequestWorks(line);

    qputenv("VEMO400_FIXED_WAITS", QByteArrayLiteral("1"));
    ExpectEveryKindOfRequestWorks(line);
    qunsetenv("VEMO400_FIXED_WAITS");

    // The echo alone is no answer: a silent meter fails the switch.
    line.Silence();
    EXPECT_FALSE(Modbus::WriteCoil(1, 0, 200, 250).confirmed);
}

TEST(ConverterLineTest, requestsKeepTheFrameGapAndTheAskedPauseFromThePreviousFrame)
{
    MeterLine line;
    SlaveId = 1;
    // Less than 3.5 characters at 9600 baud: the gap alone satisfies it.
    SetLine(line, false, 3);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Modbus::ReadRegisters(1000, 5, 300, 300)) << i;

    // A meter that needs 60 ms of idle time misses every request that follows a reply at once;
    // the unanswered wait itself is idle time enough for the next.
    SetLine(line, false, 60);
    line.ClearRequests();
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 100, 300));
    EXPECT_TRUE(Modbus::ReadRegisters(1000, 5, 300, 300));
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 100, 300));
    EXPECT_EQ(Count(line.Requests(), Outcome::TooSoon), 2);

    FrameGap::SetPauseMs(60);
    line.ClearRequests();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Modbus::ReadRegisters(1000, 5, 300, 300)) << i;
    EXPECT_EQ(Count(line.Requests(), Outcome::TooSoon), 0);
    FrameGap::SetPauseMs(-1);
}
