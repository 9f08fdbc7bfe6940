#include "CliRun.h"
#include "FrameBytes.h"
#include "MeterLine.h"
#include "comm/GatewayFrame.h"
#include "comm/Line.h"
#include "comm/MbapFrame.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "meter/PageReads.h"
#include "sim/SimGateway.h"

#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

TEST(GatewayFrameTest, aRequestLosesItsCrcAndOnlyTheReplyOfItsTransactionPassesOnceInAnyPieces)
{
    const std::vector<uint8_t> request = WithCrc(Bytes("070300640002"));
    EXPECT_EQ(Mbap::FromRtu(0x1234, request.data(), 8), Bytes("123400000006070300640002"));

    GatewayFrame::CModbusTcpFraming framing;
    EXPECT_EQ(framing.Send(request.data(), 8), Bytes("000100000006070300640002"));
    // An earlier transaction, another unit and another function are dropped; the reply passes once.
    const std::vector<uint8_t> stream = Bytes("0000 0000 0007 07 03 04 00010002"
                                              "0001 0000 0007 08 03 04 00010002"
                                              "0001 0000 0004 07 83 02 01"
                                              "0001 0000 0007 07 03 04 00010002"
                                              "0001 0000 0007 07 03 04 0009000a");
    std::vector<uint8_t> rtu;
    const std::size_t split = 20;
    const GatewayFrame::Taken head = framing.Take(stream.data(), split, rtu);
    EXPECT_EQ(framing.Held(), 7u) << "the second frame's first bytes";
    const GatewayFrame::Taken tail = framing.Take(stream.data() + split, stream.size() - split, rtu);
    EXPECT_EQ(rtu, WithCrc(Bytes("07830201")));
    EXPECT_EQ(head.dropped + tail.dropped, stream.size() - 10);
    EXPECT_FALSE(tail.lost);

    const std::vector<uint8_t> notMbap = Bytes("00010001000607030064");
    EXPECT_TRUE(framing.Take(notMbap.data(), notMbap.size(), rtu).lost);
}

TEST(GatewayFrameTest, rtuBytesPassOnlyFromTheRequestUntilItsReplyIsWholeAfterAnEcho)
{
    GatewayFrame::CRtuFraming framing;
    std::vector<uint8_t> rtu;
    const std::vector<uint8_t> early = WithCrc(Bytes("0903020005"));
    EXPECT_EQ(framing.Take(early.data(), early.size(), rtu).dropped, early.size());
    const std::vector<uint8_t> request = WithCrc(Bytes("010300640001"));
    EXPECT_EQ(framing.Send(request.data(), 8), request);
    std::vector<uint8_t> stream = request;
    const std::vector<uint8_t> reply = WithCrc(Bytes("0103020005"));
    stream.insert(stream.end(), reply.begin(), reply.end());
    stream.insert(stream.end(), early.begin(), early.end());
    EXPECT_EQ(framing.Take(stream.data(), stream.size(), rtu).dropped, early.size());
    EXPECT_EQ(rtu.size(), request.size() + reply.size());
}

namespace {
// The simulated meter behind a gateway of one kind, with the tool's line connected to it.
class GatewayLineTest : public ::testing::TestWithParam<GatewayMode>
{
protected:
    void SetUp() override
    {
        SlaveId = 1;
        SetGatewayAllowanceMs(0);
        line.Set(1000, {100, 5, 220, 0, 220});
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        ASSERT_TRUE(OpenLine(gateway.Url().c_str(), 9600, 0));
    }
    void TearDown() override
    {
        CloseLine();
        SetGatewayAllowanceMs(-1);
    }

    MeterLine line;
    CSimGateway gateway{line.Server(), GetParam()};
};

} // namespace

TEST_P(GatewayLineTest, everyPagesReadAWriteAndASwitchGoThroughTheGateway)
{
    for (const PageReads::Request& request :
         {PageReads::kRealtime, PageReads::kCommon, PageReads::kMaxMin, PageReads::kDemand,
          PageReads::kEnergy, PageReads::kHarmonics.Block(0), PageReads::kEvents.Block(0),
          PageReads::Relays::kStatus})
        EXPECT_TRUE(Modbus::ReadRegisters(request.first, request.count, request.waitMs, request.readLength))
            << request.first;
    Modbus::RefreshRatios();
    EXPECT_EQ(CtRatio, 20);
    RegisterBlock[0] = 12;
    EXPECT_TRUE(Modbus::WriteRegisters(1015, 1, 300, 250).confirmed);
    EXPECT_EQ(line.Get(1015), 12);
    EXPECT_TRUE(Modbus::WriteCoil(0, 0xFF00, 200, 250).confirmed);
    EXPECT_TRUE(line.Meter().Relay(1));

    const CliRun scan = RunCommandOn(QString::fromStdString(gateway.Url()),
                                     {"scan", "--addresses", "1-2", "--format", "csv"});
    EXPECT_EQ(scan.status, kExitSuccess) << scan.err.toStdString();
    EXPECT_EQ(scan.out, "address,baud,parity,ct ratio,pt ratio\n1,-,-,20,1\n");
}

TEST_P(GatewayLineTest, anUnknownUnitIsRefusedWithExceptionElevenAndASecondClientIsRefused)
{
    gateway.SetUnknownUnits(UnknownUnits::Exception);
    SlaveId = 9;
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 300, 300));
    EXPECT_EQ(ReplyBuffer[1], 0x83);
    EXPECT_EQ(ReplyBuffer[2], 0x0B);

    QTcpSocket other;
    other.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(gateway.Port()));
    EXPECT_FALSE(other.waitForConnected(2000));
}

TEST_P(GatewayLineTest, aConnectionThatDropsFailsTheExchangeInFlightAndIsMadeAgainThoughRefusedAtFirst)
{
    LineTiming timing = line.Server().Timing();
    timing.lateReply = std::chrono::milliseconds(300);
    line.Server().SetTiming(timing);
    line.Server().Faults().FailNext(FaultMode::LateReply, 1);
    const int port = gateway.Port();
    QTimer::singleShot(50, [&] {
        gateway.Stop();
        gateway.Start("127.0.0.1", port);
    });
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 500, 300));
    line.ClearRequests();
    EXPECT_TRUE(Modbus::ReadRegisters(1000, 5, 300, 300));
    EXPECT_EQ(line.Requests().size(), 1u);

    // A gateway that is not listening yet refuses: the connection is tried again until it listens.
    gateway.Stop();
    QTimer::singleShot(300, [&] { gateway.Start("127.0.0.1", port); });
    EXPECT_TRUE(Modbus::ReadRegisters(1000, 5, 300, 300));
}

INSTANTIATE_TEST_SUITE_P(BothKinds, GatewayLineTest,
                         ::testing::Values(GatewayMode::ModbusTcp, GatewayMode::RtuOverTcp),
                         [](const auto& info) {
                             return info.param == GatewayMode::ModbusTcp ? "ModbusTcp" : "RtuOverTcp";
                         });

TEST(ModbusTcpLineTest, aLateReplyOfAnEarlierTransactionNeverAnswersTheNext)
{
    MeterLine line;
    CSimGateway gateway(line.Server(), GatewayMode::ModbusTcp);
    ASSERT_TRUE(gateway.Start());
    SetGatewayAllowanceMs(0);
    ASSERT_TRUE(OpenLine(gateway.Url().c_str(), 9600, 0));
    SlaveId = 1;
    LineTiming timing = line.Server().Timing();
    timing.lateReply = std::chrono::milliseconds(150);
    line.Server().SetTiming(timing);
    line.Server().Faults().FailNext(FaultMode::LateReply, 2);
    // The first reply comes while the second request waits for its own; only that one answers it.
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 50, 300));
    EXPECT_TRUE(Modbus::ReadRegisters(1000, 8, 400, 300));
    CloseLine();
    SetGatewayAllowanceMs(-1);
}
