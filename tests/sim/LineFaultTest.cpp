// Line timing and injected faults, seen from the master's side of the line.

#include "LineClient.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {
class LineFaults : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Start()) << server.Error();
        ASSERT_TRUE(line.Open(server.SlavePath(), 9600));
    }

    void WaitForRequests(std::size_t total) { ASSERT_TRUE(server.Log().WaitForTotal(total, 2s)); }

    static bool IsValidRead(const Frame& reply, int registers)
    {
        return reply.size() == 5u + 2u * registers && reply[1] == 3 && ModbusFrame::HasValidCrc(reply);
    }

    CSimMeter meter;
    CSimServer server{meter, LineTiming{false, 0us, 300ms}};
    CLineClient line;
};
} // namespace

TEST_F(LineFaults, needsMoreThan100AndLessThan200MsFor26RegistersAt4800Baud)
{
    meter.SetBaud(4800);
    server.SetTiming(LineTiming{});
    ASSERT_TRUE(line.SetBaud(4800));
    const auto sent = std::chrono::steady_clock::now();
    auto leftOf = [&](std::chrono::milliseconds limit) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            limit - (std::chrono::steady_clock::now() - sent));
    };
    line.Send(ReadRequest(1, 300, 26));
    const Frame early = line.ReadReply(leftOf(100ms));
    EXPECT_FALSE(CLineClient::IsComplete(early)) << "request and reply take about 140 ms on the wire";
    Frame reply = early;
    const Frame rest = line.ReadReply(leftOf(200ms));
    reply.insert(reply.end(), rest.begin(), rest.end());
    EXPECT_TRUE(IsValidRead(reply, 26));
}

TEST_F(LineFaults, swallowsTheNextRequestsWithNoReply)
{
    server.Faults().FailNext(FaultMode::NoReply, 2);
    line.Send(ReadRequest(1, 0, 1));
    line.Send(ReadRequest(1, 0, 1));
    WaitForRequests(2);
    EXPECT_TRUE(line.ReadWaiting().empty());
    EXPECT_TRUE(IsValidRead(line.Ask(ReadRequest(1, 0, 1)), 1)) << "only the next two";
    EXPECT_EQ(server.Log().Records()[0].outcome, Outcome::Faulted);
}

TEST_F(LineFaults, damagesTheCrcOfAReply)
{
    server.Faults().FailNext(FaultMode::BadCrc, 1);
    const Frame reply = line.Ask(ReadRequest(1, 0, 2));
    EXPECT_EQ(reply.size(), 9u);
    EXPECT_FALSE(ModbusFrame::HasValidCrc(reply));
}

TEST_F(LineFaults, answersWithASlaveDeviceFailureException)
{
    server.Faults().FailNext(FaultMode::Exception, 1);
    EXPECT_EQ(line.Ask(ReadRequest(1, 0, 2)),
              CModbusSlave::ExceptionReply(1, 3, ModbusException::SlaveDeviceFailure));
}

TEST_F(LineFaults, answersAReadWithFewerRegistersButLeavesWritesAlone)
{
    server.Faults().FailNext(FaultMode::ShortReply, 1);
    EXPECT_EQ(line.Ask(WriteRequest(1, 1030, {1})).size(), 8u);
    EXPECT_TRUE(IsValidRead(line.Ask(ReadRequest(1, 0, 10)), 5));
    EXPECT_TRUE(IsValidRead(line.Ask(ReadRequest(1, 0, 10)), 10));
}

TEST_F(LineFaults, putsGarbageBeforeTheReply)
{
    server.Faults().FailNext(FaultMode::Garbage, 1);
    line.Send(ReadRequest(1, 0, 1));
    WaitForRequests(1);
    const Frame expected = server.Log().Records()[0].reply;
    Frame reply;
    while (reply.size() < expected.size())
        if (const Frame more = line.ReadReply(2s); !more.empty())
            reply.insert(reply.end(), more.begin(), more.end());
        else
            break;
    ASSERT_EQ(reply, expected);
    EXPECT_EQ(Frame(reply.begin(), reply.begin() + 3), Frame({0x00, 0xFF, 0x3A}));
    EXPECT_TRUE(IsValidRead(Frame(reply.begin() + 3, reply.end()), 1));
}

TEST_F(LineFaults, sendsALateReplyAfterTheLateDelay)
{
    server.Faults().FailNext(FaultMode::LateReply, 1);
    line.Send(ReadRequest(1, 0, 1));
    EXPECT_TRUE(line.ReadReply(100ms).empty());
    EXPECT_TRUE(IsValidRead(line.ReadReply(2s), 1));
}

TEST_F(LineFaults, losesAPendingReplyWhenTheMasterSendsAgain)
{
    server.Faults().FailNext(FaultMode::LateReply, 1);
    line.Send(ReadRequest(1, 0, 1));
    WaitForRequests(1);
    EXPECT_TRUE(IsValidRead(line.Ask(ReadRequest(1, 0, 2)), 2));
    EXPECT_TRUE(line.ReadReply(400ms).empty()) << "the late reply never comes";
    EXPECT_EQ(server.Log().Records()[0].outcome, Outcome::Collided);
}

TEST_F(LineFaults, failsEveryRequestWithProbabilityOneAndNoneWithZero)
{
    server.Faults().FailWithProbability(FaultMode::BadCrc, 1.0);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(ModbusFrame::HasValidCrc(line.Ask(ReadRequest(1, 0, 1))));
    server.Faults().FailWithProbability(FaultMode::BadCrc, 0.0);
    EXPECT_TRUE(IsValidRead(line.Ask(ReadRequest(1, 0, 1)), 1));
}

TEST_F(LineFaults, answersNothingWhileTheCableIsPulled)
{
    server.PullCable();
    line.Send(ReadRequest(1, 0, 1));
    WaitForRequests(1);
    EXPECT_TRUE(line.ReadWaiting().empty());
    EXPECT_EQ(server.Log().Records()[0].outcome, Outcome::CablePulled);
    server.PlugCable();
    EXPECT_TRUE(IsValidRead(line.Ask(ReadRequest(1, 0, 1)), 1));
}

TEST_F(LineFaults, plugsTheCableBackByItselfAfterTheGivenTime)
{
    server.PullCable(50ms);
    EXPECT_TRUE(server.IsCablePulled());
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (server.IsCablePulled() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_TRUE(IsValidRead(line.Ask(ReadRequest(1, 0, 1)), 1));
}

TEST(FaultOrder, readsCountsProbabilitiesAndRefusesNonsense)
{
    CFaultInjector faults;
    EXPECT_TRUE(faults.ApplyOrder("bad-crc:3"));
    EXPECT_TRUE(faults.ApplyOrder("no-reply@0.25"));
    EXPECT_TRUE(faults.ApplyOrder("garbage"));
    EXPECT_EQ(faults.Describe(),
              "no-reply with probability 0.250000; bad-crc for the next 3; garbage for the next 1");
    for (const char* bad : {"bad-crc:", "bad-crc:x", "no-reply@2", "shouting:1", "exception:-1"})
        EXPECT_FALSE(faults.ApplyOrder(bad)) << bad;
}
