#include "comm/ModbusRtu.h"
#include "FrameBytes.h"
#include "comm/ExchangeVerdict.h"
#include "comm/ModbusFrame.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace {
std::vector<uint8_t> Built(int length)
{
    return {RequestBuffer, RequestBuffer + length};
}

// A reply placed in a full-size reply buffer, as the port leaves it.
struct Reply
{
    explicit Reply(const std::vector<uint8_t>& bytes) { std::copy(bytes.begin(), bytes.end(), buffer); }
    uint8_t buffer[kReplyBufferSize] = {};
};

class CheckReadReplyTest : public ::testing::Test
{
protected:
    void SetUp() override { std::fill(std::begin(registers), std::end(registers), -1); }
    int32_t registers[kRegisterBlockSize];
};
} // namespace

TEST(Crc16Test, matchesTheStandardCheckValue)
{
    const char* check = "123456789";
    EXPECT_EQ(ModbusFrame::Crc16(reinterpret_cast<const uint8_t*>(check), 9), 0x4B37);
}

TEST(RequestFrameTest, readWriteAndCoilFramesAreTheBytesOnTheLine)
{
    EXPECT_EQ(Built(ModbusRtu.BuildReadRegisters(RequestBuffer, 1, 0, 1)), Bytes("010300000001840a"));

    const int32_t clearDemand[] = {255};
    EXPECT_EQ(Built(ModbusRtu.BuildWriteRegisters(RequestBuffer, 1, 1011, 1, clearDemand)),
              Bytes("011003f300010200ffc1d3"));

    EXPECT_EQ(Built(ModbusRtu.BuildWriteCoil(RequestBuffer, 1, 0, 0xFF00)), Bytes("01050000ff008c3a"));
}

TEST(RequestFrameTest, sendsTheLowSixteenBitsOfValuesAndTheLowByteOfTheAddress)
{
    const int32_t values[] = {100000, -1};
    const int length = ModbusRtu.BuildWriteRegisters(RequestBuffer, 300, 1002, 2, values);
    EXPECT_EQ(length, 13);
    EXPECT_EQ(Built(length - 2), Bytes("2c1003ea00020486a0ffff"));
    EXPECT_EQ(ModbusRtu.BuildReadRegisters(RequestBuffer, 300, 100, 39), 8);
    EXPECT_EQ(RequestBuffer[0], 44);
}

TEST(RequestFrameTest, aWriteNeverTakesMoreValuesThanTheRegisterBlockHolds)
{
    EXPECT_EQ(ModbusRtu.BuildWriteRegisters(RequestBuffer, 1, 0, 120, RegisterBlock),
              9 + 2 * kRegisterBlockSize);
    EXPECT_EQ(RequestBuffer[5], kRegisterBlockSize);
}

TEST_F(CheckReadReplyTest, decodesRegistersHighByteFirst)
{
    Reply reply(Bytes("010304000100022a32"));
    ASSERT_TRUE(ModbusRtu.CheckReadReply(reply.buffer, registers));
    EXPECT_EQ(registers[0], 1);
    EXPECT_EQ(registers[1], 2);
    EXPECT_EQ(registers[2], -1);
}

TEST_F(CheckReadReplyTest, acceptsFewerRegistersThanAskedAndKeepsTheRest)
{
    Reply reply(WithCrc(Bytes("010304ffff8001")));
    ASSERT_TRUE(ModbusRtu.CheckReadReply(reply.buffer, registers));
    EXPECT_EQ(registers[0], 65535);
    EXPECT_EQ(registers[1], 0x8001);
    EXPECT_EQ(registers[2], -1);
}

TEST_F(CheckReadReplyTest, rejectsDamagedExceptionAndOversizedRepliesWithoutTouchingRegisters)
{
    Reply crcHighFirst(Bytes("01030400010002322a"));
    EXPECT_FALSE(ModbusRtu.CheckReadReply(crcHighFirst.buffer, registers));

    Reply exception(WithCrc(Bytes("018302")));
    EXPECT_FALSE(ModbusRtu.CheckReadReply(exception.buffer, registers));

    // A byte count whose CRC would lie past the end of the reply buffer.
    Reply pastTheEnd(Bytes("0103f8"));
    EXPECT_FALSE(ModbusRtu.CheckReadReply(pastTheEnd.buffer, registers));

    // 101 registers with a valid CRC: more than the register block holds.
    std::vector<uint8_t> tooMany = Bytes("0103ca");
    tooMany.resize(3 + 202, 0x11);
    Reply tooManyReply(WithCrc(tooMany));
    EXPECT_FALSE(ModbusRtu.CheckReadReply(tooManyReply.buffer, registers));

    Reply silence(std::vector<uint8_t>{});
    EXPECT_FALSE(ModbusRtu.CheckReadReply(silence.buffer, registers));

    EXPECT_TRUE(std::all_of(std::begin(registers), std::end(registers), [](int32_t r) { return r == -1; }));
}

// A late answer to an earlier write, another slave's or a refusal must not confirm this write.
TEST(CheckWriteReplyTest, passesOnlyTheMetersCopyOfTheRequestsHead)
{
    const std::vector<uint8_t> clear = WithCrc(Bytes("011003f300010200ff")); // 255 to register 1011
    const auto confirms = [&](const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& request) {
        Reply reply(bytes);
        return ModbusRtu.CheckWriteReply(reply.buffer, request.data());
    };
    EXPECT_TRUE(confirms(Bytes("011003f30001f1be"), clear));
    EXPECT_FALSE(confirms(Bytes("011003f30001f1bf"), clear)) << "damaged";
    EXPECT_FALSE(confirms(WithCrc(Bytes("019003f30001")), clear)) << "an exception";
    EXPECT_FALSE(confirms(WithCrc(Bytes("011003f20001")), clear)) << "another start";
    EXPECT_FALSE(confirms(WithCrc(Bytes("011003f30002")), clear)) << "another count";
    EXPECT_FALSE(confirms(WithCrc(Bytes("021003f30001")), clear)) << "another slave";
    EXPECT_FALSE(confirms({}, clear)) << "silence";

    const std::vector<uint8_t> close = WithCrc(Bytes("01050000ff00"));
    EXPECT_TRUE(confirms(close, close));
    EXPECT_FALSE(confirms(WithCrc(Bytes("010500000000")), close)) << "the other value";
    EXPECT_FALSE(confirms(WithCrc(Bytes("018502")), close));
}

TEST(ExchangeVerdictTest, judgesRepliesThatLookWholeButAnswerAnotherRequest)
{
    const std::vector<uint8_t> read = ModbusFrame::WithCrc({0x01, 0x03, 0x00, 0x64, 0x00, 0x02});
    const auto judge = [&](const std::vector<uint8_t>& reply) {
        return JudgeReply(read.data(), static_cast<int>(read.size()), reply.data(),
                          static_cast<int>(reply.size()));
    };
    EXPECT_EQ(judge(ModbusFrame::WithCrc({0x01, 0x03, 0x04, 0, 1, 0, 2})).kind, ExchangeVerdict::Answered);
    // A good CRC around three registers when two were asked.
    EXPECT_EQ(judge(ModbusFrame::WithCrc({0x01, 0x03, 0x06, 0, 1, 0, 2, 0, 3})).kind,
              ExchangeVerdict::Foreign);
    EXPECT_EQ(judge(ModbusFrame::WithCrc({0x02, 0x03, 0x04, 0, 1, 0, 2})).kind, ExchangeVerdict::Foreign);
    const ExchangeVerdict refused = judge(ModbusFrame::WithCrc({0x01, 0x83, 0x02}));
    EXPECT_EQ(refused.kind, ExchangeVerdict::Exception);
    EXPECT_STREQ(ExceptionMeaning(refused.exceptionCode), "illegal data address");
    EXPECT_EQ(judge({0x01, 0x83, 0x02, 0x00, 0x00}).kind, ExchangeVerdict::BadCrc);
    EXPECT_EQ(judge({0x01, 0x03, 0x04, 0}).kind, ExchangeVerdict::Short);
}
