#include "FrameBytes.h"
#include "MeterLine.h"
#include "comm/ModbusFrame.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"

#include <gtest/gtest.h>

TEST(ModbusFrameTest, aReplyIsCompleteAtItsExpectedLengthOrAsAnExceptionReply)
{
    const std::vector<uint8_t> read = WithCrc(Bytes("010300640002"));
    EXPECT_EQ(ModbusFrame::ExpectedReplyLength(read.data(), 8), 9);
    EXPECT_EQ(ModbusFrame::ExpectedReplyLength(Bytes("011003f300010200ffc1d3").data(), 11), 8);
    EXPECT_EQ(ModbusFrame::ExpectedReplyLength(WithCrc(Bytes("01050002ff00")).data(), 8), 8);

    const std::vector<uint8_t> reply = WithCrc(Bytes("010304000100ff"));
    EXPECT_FALSE(ModbusFrame::IsReplyComplete(read.data(), 8, reply.data(), 8));
    EXPECT_TRUE(ModbusFrame::IsReplyComplete(read.data(), 8, reply.data(), 9));
    const std::vector<uint8_t> refused = WithCrc(Bytes("018302"));
    EXPECT_FALSE(ModbusFrame::IsReplyComplete(read.data(), 8, refused.data(), 4));
    EXPECT_TRUE(ModbusFrame::IsReplyComplete(read.data(), 8, refused.data(), 5));
}

TEST(ReplyWaitTest, aLateReplyInsideTheWaitIsTakenAndOneAfterItIsNot)
{
    MeterLine line;
    SlaveId = 1;
    line.Set(1000, {100, 5, 220, 0, 220});
    LineTiming timing = line.Server().Timing();
    timing.lateReply = std::chrono::milliseconds(60);
    line.Server().SetTiming(timing);
    line.Server().Faults().FailNext(FaultMode::LateReply, 1);
    ASSERT_TRUE(Modbus::ReadRegisters(1000, 5, 300, 300));
    EXPECT_EQ(RegisterBlock[1], 5);

    timing.lateReply = std::chrono::milliseconds(400);
    line.Server().SetTiming(timing);
    line.Server().Faults().FailNext(FaultMode::LateReply, 1);
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 100, 300));
}
