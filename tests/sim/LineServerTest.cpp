// The meter on its pseudo-terminal, asked over the line as a master asks it.

#include "LineClient.h"
#include "comm/ModbusFrame.h"
#include "sim/MeterRegisters.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

using ModbusFrame::WithCrc;

namespace {
class LineServer : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Start()) << server.Error();
        ASSERT_TRUE(line.Open(server.SlavePath(), 9600));
    }

    // Waits until the meter has taken the given number of requests in all.
    void WaitForRequests(std::size_t total) { ASSERT_TRUE(server.Log().WaitForTotal(total, 2s)); }

    CSimMeter meter;
    CSimServer server{meter, LineTiming{false}};
    CLineClient line;
};
} // namespace

TEST_F(LineServer, answersAReadOverThePseudoTerminal)
{
    meter.SetRegister(100, 22000);
    EXPECT_EQ(line.Ask(ReadRequest(1, 100, 1)), WithCrc({1, 3, 2, 0x55, 0xF0}));
}

TEST_F(LineServer, keepsTheLineUpWhenTheMasterClosesAndReopensThePort)
{
    for (int round = 0; round < 3; ++round) {
        line.Close();
        ASSERT_TRUE(line.Open(server.SlavePath(), 9600));
        EXPECT_EQ(line.Ask(ReadRequest(1, 1006, 2)), WithCrc({1, 3, 4, 0, 1, 0, 1})) << "round " << round;
    }
}

TEST_F(LineServer, staysSilentForAnotherSlaveAndRecordsTheRequest)
{
    line.Send(ReadRequest(7, 0, 1));
    WaitForRequests(1);
    EXPECT_EQ(line.Ask(ReadRequest(1, 1006, 1)), WithCrc({1, 3, 2, 0, 1}))
        << "nothing stray before this reply";
    const auto records = server.Log().Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].outcome, Outcome::Ignored);
    EXPECT_EQ(records[0].info.slave, 7);
}

TEST_F(LineServer, logsABroadcastWriteAsCarriedOutOrRefusedWithoutAReply)
{
    line.Send(WriteRequest(0, 1000, {200}));
    line.Send(WriteRequest(0, 1006, {0}));
    WaitForRequests(2);
    const auto records = server.Log().Records();
    EXPECT_EQ(meter.Register(1000), 200);
    EXPECT_EQ(records[0].outcome, Outcome::Broadcast);
    EXPECT_EQ(records[1].outcome, Outcome::BroadcastRefused);
    EXPECT_NE(CRequestLog::Describe(records[0]).find("broadcast: carried out, no reply"), std::string::npos);
}

TEST_F(LineServer, recordsWhatTheMasterWrote)
{
    line.Ask(WriteRequest(1, 1011, {255}));
    const auto write = server.Log().LastWrite();
    ASSERT_TRUE(write);
    EXPECT_EQ(write->request, Frame({0x01, 0x10, 0x03, 0xF3, 0x00, 0x01, 0x02, 0x00, 0xFF, 0xC1, 0xD3}));
    EXPECT_EQ(write->info.address, 1011);
    EXPECT_EQ(write->info.values, std::vector<uint16_t>{255});
}

TEST_F(LineServer, dropsAFrameBrokenBySilenceAndAnswersTheNextOne)
{
    const Frame whole = WithCrc(ReadRequest(1, 1006, 1));
    line.SendRaw(Frame(whole.begin(), whole.begin() + 5));
    WaitForRequests(1);
    EXPECT_EQ(server.Log().Records()[0].outcome, Outcome::Ignored);
    EXPECT_EQ(line.Ask(ReadRequest(1, 1006, 1)), WithCrc({1, 3, 2, 0, 1}));
}

TEST_F(LineServer, givesNoReplyWhenTheLineRunsAtAnotherRate)
{
    ASSERT_TRUE(line.SetBaud(19200));
    line.Send(ReadRequest(1, 1006, 1));
    WaitForRequests(1);
    EXPECT_EQ(server.Log().Records()[0].outcome, Outcome::RateMismatch);
    EXPECT_TRUE(line.ReadWaiting().empty());
}

TEST_F(LineServer, answersOnlyAtTheNewRateAfterTheRateIsWritten)
{
    EXPECT_EQ(line.Ask(WriteRequest(1, 1007, {2})), WithCrc({1, 16, 0x03, 0xEF, 0, 1}))
        << "reply at the old rate";
    line.Send(ReadRequest(1, 1007, 1));
    WaitForRequests(2);
    EXPECT_TRUE(line.ReadWaiting().empty());
    ASSERT_TRUE(line.SetBaud(19200));
    EXPECT_EQ(line.Ask(ReadRequest(1, 1007, 1)), WithCrc({1, 3, 2, 0, 2}));
    EXPECT_EQ(meter.Baud(), 19200);
}

TEST_F(LineServer, answersOnlyAtTheNewAddressAfterTheAddressIsWritten)
{
    EXPECT_EQ(line.Ask(WriteRequest(1, 1006, {5})), WithCrc({1, 16, 0x03, 0xEE, 0, 1}));
    line.Send(ReadRequest(1, 1006, 1));
    WaitForRequests(2);
    EXPECT_TRUE(line.ReadWaiting().empty());
    EXPECT_EQ(line.Ask(ReadRequest(5, 1006, 1)), WithCrc({5, 3, 2, 0, 5}));
}

TEST_F(LineServer, stopsPromptlyAndCanStartAgainOnANewTerminal)
{
    server.Stop();
    EXPECT_FALSE(server.IsRunning());
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(line.Open(server.SlavePath(), 9600));
    EXPECT_EQ(line.Ask(ReadRequest(1, 1006, 1)), WithCrc({1, 3, 2, 0, 1}));
}
