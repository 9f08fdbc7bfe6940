// The meter's Modbus slave, asked in-process: which requests get which reply.

#include "LineClient.h"
#include "comm/ModbusFrame.h"
#include "sim/MeterRegisters.h"
#include "sim/SimMeter.h"

#include <gtest/gtest.h>

using ModbusFrame::WithCrc;

namespace {

Frame ExceptionOf(int function, int code)
{
    return WithCrc({1, static_cast<uint8_t>(function | 0x80), static_cast<uint8_t>(code)});
}

class SlaveProtocol : public testing::Test
{
protected:
    std::optional<Frame> Ask(const Frame& body) { return meter.Answer(WithCrc(body)); }

    CSimMeter meter;
};
} // namespace

TEST_F(SlaveProtocol, readsRegistersHighByteFirstInAddressOrder)
{
    meter.SetRegisters(1000, {100, 5, 220, 0, 220});
    const auto reply = Ask(ReadRequest(1, 1000, 5));
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, WithCrc({1, 3, 10, 0, 100, 0, 5, 0, 220, 0, 0, 0, 220}));
}

TEST_F(SlaveProtocol, answersEveryRangeOfTheRegisterMapInTheBlocksThePagesRead)
{
    const int reads[][2] = {{0, 45},   {100, 39}, {137, 2},  {200, 24}, {300, 26}, {400, 21},
                            {505, 21}, {568, 21}, {600, 30}, {700, 6},  {710, 40}, {870, 40},
                            {1000, 8}, {1009, 4}, {1015, 4}, {1021, 5}, {1030, 20}};
    for (const auto& read : reads) {
        const auto reply = Ask(ReadRequest(1, read[0], read[1]));
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[1], 3) << "read at " << read[0];
        EXPECT_EQ(reply->size(), 5u + 2u * read[1]) << "read at " << read[0];
    }
}

TEST_F(SlaveProtocol, refusesRegistersOutsideTheMapWithIllegalDataAddress)
{
    for (const auto& read : {std::pair{45, 1}, {139, 1}, {589, 1}, {706, 1}, {1008, 1}, {1000, 9}, {700, 11}})
        EXPECT_EQ(Ask(ReadRequest(1, read.first, read.second)), ExceptionOf(3, 2))
            << "read at " << read.first;
    EXPECT_EQ(Ask(WriteRequest(1, 100, {1})), ExceptionOf(16, 2)) << "measurements cannot be written";
    EXPECT_EQ(Ask(CoilRequest(1, 4, true)), ExceptionOf(5, 2));
}

TEST_F(SlaveProtocol, refusesOtherFunctionsWithIllegalFunction)
{
    EXPECT_EQ(Ask({1, 4, 0, 0, 0, 1}), ExceptionOf(4, 1));
    EXPECT_EQ(Ask({1, 6, 0x03, 0xE8, 0, 1}), ExceptionOf(6, 1));
}

TEST_F(SlaveProtocol, staysSilentForOtherSlavesAndBrokenFrames)
{
    EXPECT_FALSE(Ask(ReadRequest(2, 0, 1)));
    Frame damaged = WithCrc(ReadRequest(1, 0, 1));
    damaged.back() ^= 1;
    EXPECT_FALSE(meter.Answer(damaged));
    EXPECT_FALSE(meter.Answer({1, 3, 0}));
}

TEST_F(SlaveProtocol, carriesOutABroadcastWriteWithoutReplying)
{
    EXPECT_FALSE(Ask(WriteRequest(0, 1000, {200})));
    EXPECT_EQ(meter.Register(1000), 200);
    EXPECT_FALSE(Ask(ReadRequest(0, 1000, 1)));
}

TEST_F(SlaveProtocol, echoesAWriteAndStoresTheValues)
{
    const auto reply = Ask(WriteRequest(1, 1030, {0, 1, 120, 80, 5}));
    EXPECT_EQ(reply, WithCrc({1, 16, 0x04, 0x06, 0, 5}));
    EXPECT_EQ(meter.Registers(1030, 5), (std::vector<uint16_t>{0, 1, 120, 80, 5}));
}

TEST_F(SlaveProtocol, refusesAnUnusableAddressRateOrClockAsAWhole)
{
    const auto before = meter.Registers(1000, 8);
    EXPECT_EQ(Ask(WriteRequest(1, 1000, {200, 5, 220, 0, 220, 0, 1, 65535})), ExceptionOf(16, 3));
    EXPECT_EQ(Ask(WriteRequest(1, 1006, {0})), ExceptionOf(16, 3));
    EXPECT_EQ(Ask(WriteRequest(1, 1006, {248})), ExceptionOf(16, 3));
    EXPECT_EQ(meter.Registers(1000, 8), before);
    EXPECT_EQ(Ask(WriteRequest(1, 700, {9, 13, 14, 10, 25, 9})), ExceptionOf(16, 3));
    EXPECT_EQ(Ask(WriteRequest(1, 700, {9, 2, 29, 10, 25, 9})), ExceptionOf(16, 3)) << "2009 is no leap year";
}

TEST_F(SlaveProtocol, takesAnyValueForTheWiringAndAlarmSettings)
{
    // The settings page writes 65535 for an empty selection.
    EXPECT_TRUE(Ask(WriteRequest(1, 1005, {65535})));
    EXPECT_EQ(meter.Register(1005), 65535);
}

TEST_F(SlaveProtocol, switchesRelaysWithCoilsAndShowsThemInTheStatusWords)
{
    EXPECT_EQ(Ask(CoilRequest(1, 3, true)), WithCrc(CoilRequest(1, 3, true)));
    EXPECT_EQ(Ask(CoilRequest(1, 0, true)), WithCrc(CoilRequest(1, 0, true)));
    EXPECT_EQ(meter.Register(MeterReg::kRelays), 0x0009);
    EXPECT_EQ(meter.Register(MeterReg::kCommonRelays), 0x0009);
    Ask(CoilRequest(1, 3, false));
    EXPECT_FALSE(meter.Relay(4));
    EXPECT_EQ(Ask({1, 5, 0, 1, 0x12, 0x34}), ExceptionOf(5, 3)) << "only FF00 and 0000 are coil values";
}

TEST_F(SlaveProtocol, setsTheClockAndReadsItBack)
{
    Ask(WriteRequest(1, 700, {9, 7, 14, 10, 25, 9}));
    EXPECT_EQ(meter.Registers(700, 6), (std::vector<uint16_t>{9, 7, 14, 10, 25, 9}));
}

TEST_F(SlaveProtocol, clearCommandsClearTheirRecordsOnlyWith255)
{
    meter.SetRegisterS32(MeterReg::kEnergy, 5000);
    Ask(WriteRequest(1, MeterReg::kClearEnergy, {1}));
    EXPECT_EQ(meter.RegisterS32(MeterReg::kEnergy), 5000);
    Ask(WriteRequest(1, MeterReg::kClearEnergy, {255}));
    EXPECT_EQ(meter.RegisterS32(MeterReg::kEnergy), 0);
    EXPECT_EQ(meter.RegisterS32(MeterReg::kCommonEnergy), 0);

    meter.SetRegister(MeterReg::kMaxima, 9999);
    Ask(WriteRequest(1, MeterReg::kClearMaxMin, {255}));
    EXPECT_EQ(meter.Register(MeterReg::kMaxima), meter.Register(MeterReg::kCurrent));

    meter.SetRegisters(MeterReg::kEvents, {0x0103, 250, 1, 2});
    meter.SetRegister(MeterReg::kCommonEventCount, 1);
    Ask(WriteRequest(1, MeterReg::kClearEvents, {255}));
    EXPECT_EQ(meter.Registers(MeterReg::kEvents, 4), (std::vector<uint16_t>{0, 0, 0, 0}));
    EXPECT_EQ(meter.Register(MeterReg::kCommonEventCount), 0);
    EXPECT_EQ(Ask(ReadRequest(1, MeterReg::kClearEnergy, 1)), WithCrc({1, 3, 2, 0, 0}));
}

TEST_F(SlaveProtocol, refusesMalformedCountsWithIllegalDataValue)
{
    EXPECT_EQ(Ask(ReadRequest(1, 0, 0)), ExceptionOf(3, 3));
    EXPECT_EQ(Ask(ReadRequest(1, 400, 126)), ExceptionOf(3, 3));
    Frame wrongByteCount = WriteRequest(1, 1000, {1, 2});
    wrongByteCount[6] = 2;
    EXPECT_EQ(Ask(wrongByteCount), ExceptionOf(16, 3));
}
