// The simulated meter behind a TCP gateway, in Modbus TCP and in RTU over TCP, seen from
// a client on a plain socket.

#include "LineClient.h"
#include "TcpClient.h"
#include "sim/SimGateway.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {
// The MBAP frame of a transaction: the header, then the unit id and PDU of an RTU body.
Frame Mbap(int transaction, const Frame& body, int protocol = 0)
{
    Frame frame{uint8_t(transaction >> 8), uint8_t(transaction), uint8_t(protocol >> 8), uint8_t(protocol), 0,
                uint8_t(body.size())};
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

class Gateway : public testing::Test
{
protected:
    void Open(GatewayMode mode)
    {
        gateway.emplace(server, mode);
        ASSERT_TRUE(gateway->Start()) << gateway->Error();
        ASSERT_EQ(client.Connect(gateway->Port()), 0);
    }

    CSimMeter meter;
    CSimServer server{meter, LineTiming{false, 0us, 300ms}};
    std::optional<CSimGateway> gateway;
    CTcpClient client;
};
} // namespace

TEST_F(Gateway, answersAModbusTcpReadWithItsTransactionAndUnitButForwardsNoDamagedReply)
{
    meter.SetRegisters(1000, {0x0102, 0x0304});
    Open(GatewayMode::ModbusTcp);
    server.Faults().FailNext(FaultMode::BadCrc, 1);
    server.Faults().FailNext(FaultMode::Garbage, 1);
    ASSERT_TRUE(client.Send(Mbap(0x0BAD, ReadRequest(1, 1000, 1), 1))) << "another protocol: dropped";
    for (int transaction : {1, 2, 0x1234})
        ASSERT_TRUE(client.Send(Mbap(transaction, ReadRequest(1, 1000, 2))));
    EXPECT_EQ(client.Read(13), Frame({0x12, 0x34, 0, 0, 0, 7, 1, 3, 4, 0x01, 0x02, 0x03, 0x04}));
    ASSERT_TRUE(server.Log().WaitForTotal(4, 2s));
    EXPECT_EQ(server.Log().Records()[3].request, ModbusFrame::WithCrc(ReadRequest(1, 1000, 2)));
}

TEST_F(Gateway, forwardsRtuFramesAsTheSerialMeterAnswersThemDamagedCrcIncluded)
{
    Open(GatewayMode::RtuOverTcp);
    const Frame expected = *meter.Answer(ModbusFrame::WithCrc(ReadRequest(1, 1000, 2)));
    ASSERT_TRUE(client.Send(ModbusFrame::WithCrc(ReadRequest(1, 1000, 2))));
    EXPECT_EQ(client.Read(9), expected);
    server.Faults().FailNext(FaultMode::BadCrc, 1);
    ASSERT_TRUE(client.Send(ModbusFrame::WithCrc(ReadRequest(1, 1000, 2))));
    const Frame damaged = client.Read(9);
    EXPECT_EQ(damaged.size(), 9u);
    EXPECT_FALSE(ModbusFrame::HasValidCrc(damaged));
}

TEST_F(Gateway, refusesASecondClientWhileOneIsConnectedAndTakesItAfterwards)
{
    Open(GatewayMode::ModbusTcp);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!gateway->HasClient() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    CTcpClient second;
    EXPECT_EQ(second.Connect(gateway->Port()), ECONNREFUSED);
    ASSERT_TRUE(client.Send(Mbap(7, ReadRequest(1, 0, 1))));
    EXPECT_EQ(client.Read(11).size(), 11u) << "the first client is still served";
    client.Close();
    int refused = -1;
    while ((refused = second.Connect(gateway->Port())) != 0 &&
           std::chrono::steady_clock::now() < deadline + 2s)
        std::this_thread::yield();
    ASSERT_EQ(refused, 0);
    ASSERT_TRUE(second.Send(Mbap(8, ReadRequest(1, 0, 1))));
    EXPECT_EQ(second.Read(11).size(), 11u);
}

TEST_F(Gateway, answersEachMeterOnItsLineAndUnknownUnitsWithException0BOnlyWhenAsked)
{
    Open(GatewayMode::ModbusTcp);
    ASSERT_TRUE(client.Send(Mbap(1, ReadRequest(9, 0, 1))));
    ASSERT_TRUE(client.Send(Mbap(2, ReadRequest(1, 0, 1))));
    EXPECT_EQ(client.Read(11)[1], 2) << "unit 9 is silent by default";
    gateway->SetUnknownUnits(UnknownUnits::Exception);
    ASSERT_TRUE(client.Send(Mbap(3, ReadRequest(9, 0, 1))));
    EXPECT_EQ(client.Read(9), Frame({0, 3, 0, 0, 0, 3, 9, 0x83, 0x0B}));
    EXPECT_EQ(server.Log().Records().back().outcome, Outcome::UnknownUnit);
    MeterOptions at9;
    at9.slaveAddress = 9;
    CSimMeter second(at9);
    server.AddMeter(second);
    ASSERT_TRUE(client.Send(Mbap(4, ReadRequest(9, 0, 1))));
    EXPECT_EQ(client.Read(11).at(6), 9) << "the second meter on the line answers unit 9";
    server.RemoveMeter(second);

    client.Close();
    gateway.reset();
    Open(GatewayMode::RtuOverTcp);
    gateway->SetUnknownUnits(UnknownUnits::Exception);
    ASSERT_TRUE(client.Send(ModbusFrame::WithCrc(ReadRequest(9, 0, 1))));
    EXPECT_EQ(client.Read(5), CModbusSlave::ExceptionReply(9, 3, ModbusException::GatewayTargetFailed));
}

TEST_F(Gateway, sendsALateReplyAfterTheAnswerToTheNextRequest)
{
    Open(GatewayMode::ModbusTcp);
    server.Faults().FailNext(FaultMode::LateReply, 1);
    ASSERT_TRUE(client.Send(Mbap(1, ReadRequest(1, 0, 1))));
    ASSERT_TRUE(server.Log().WaitForTotal(1, 2s));
    ASSERT_TRUE(client.Send(Mbap(2, ReadRequest(1, 0, 2))));
    const Frame replies = client.Read(13 + 11);
    ASSERT_EQ(replies.size(), 24u);
    EXPECT_EQ(replies[1], 2) << "the next request is answered at once";
    EXPECT_EQ(replies[13 + 1], 1) << "the late reply follows";
    EXPECT_EQ(replies[13 + 5], 5) << "one register: unit, function, count and two bytes";
}

TEST_F(Gateway, givesUpRtuBytesThatRunOnWithoutARequestRatherThanHoldThemUntilAPause)
{
    Open(GatewayMode::RtuOverTcp);
    // Function 0xFF: no length the gateway could wait for, and no pause to end the frame.
    const Frame flood(32 * 1024, 0xFF);
    ASSERT_TRUE(client.Send(flood));
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    std::size_t taken = 0;
    std::size_t longest = 0;
    while (taken < flood.size() && std::chrono::steady_clock::now() < deadline) {
        taken = longest = 0;
        for (const RequestRecord& record : server.Log().Records()) {
            taken += record.request.size();
            longest = std::max(longest, record.request.size());
        }
        std::this_thread::yield();
    }
    EXPECT_EQ(taken, flood.size());
    EXPECT_LE(longest, 264u + 512u) << "the longest request and one read";
    ASSERT_TRUE(client.Send(ModbusFrame::WithCrc(ReadRequest(1, 1000, 2))));
    EXPECT_EQ(client.Read(9).size(), 9u);
}
