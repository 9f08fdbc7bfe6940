#include "../cli/CliRun.h"
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

TEST(GatewayFrameTest, aRequestLosesItsCrcAndOnlyTheReplyOfItsTransactionPasses)
{
    const std::vector<uint8_t> request = WithCrc(Bytes("070300640002"));
    EXPECT_EQ(Mbap::FromRtu(0x1234, request.data(), 8), Bytes("123400000006070300640002"));

    GatewayFrame::CReplyReader reader;
    reader.Expect(0x1234, 7, 3);
    std::vector<uint8_t> rtu;
    // An earlier transaction, another unit and another function are dropped; the reply passes once.
    const std::vector<uint8_t> stream =
        Bytes("1233000000070703040001000212340000000708030400010002123400000004078302011234000000070703040001"
              "00021234000000070703040009000a");
    ASSERT_TRUE(reader.Take(stream.data(), static_cast<int>(stream.size()), rtu));
    EXPECT_EQ(rtu, WithCrc(Bytes("07830201")));

    const std::vector<uint8_t> notMbap = Bytes("12340001000607030064");
    EXPECT_FALSE(reader.Take(notMbap.data(), static_cast<int>(notMbap.size()), rtu));
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
    EXPECT_TRUE(Modbus::WriteRegisters(1015, 1, 300, 250).echoValid);
    EXPECT_EQ(line.Get(1015), 12);
    EXPECT_TRUE(Modbus::WriteCoil(0, 0xFF00, 200, 250));
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

TEST_P(GatewayLineTest, aConnectionThatDropsFailsTheExchangeInFlightAndIsMadeAgain)
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
