#include "comm/Transaction.h"
#include "FrameBytes.h"
#include "PtyPair.h"
#include "comm/ModbusRtu.h"
#include "comm/SerialPort.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QStringList>
#include <gtest/gtest.h>

namespace {
// Plays the meter while the transaction waits: each request that arrives is
// taken off the line and answered with the next canned reply (or none).
class TransactionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SerialPort.Open(pty.SlavePath().c_str(), 9600, 0));
        SlaveId = 1;
        QObject::connect(&meter, &QSocketNotifier::activated, [this] {
            requests.push_back(pty.Receive(10, 500));
            if (!replies.empty()) {
                pty.Send(replies.front());
                replies.erase(replies.begin());
            }
        });
    }
    void TearDown() override { SerialPort.Close(); }

    PtyPair pty;
    QSocketNotifier meter{pty.MasterFd(), QSocketNotifier::Read};
    std::vector<std::vector<uint8_t>> replies;
    std::vector<std::vector<uint8_t>> requests;
};
} // namespace

TEST_F(TransactionTest, readSendsTheRequestWaitsAndDecodesTheReply)
{
    replies.push_back(WithCrc(Bytes("010304000100ff")));
    ASSERT_TRUE(Modbus::ReadRegisters(100, 2, 500, 250));
    EXPECT_EQ(requests.at(0), WithCrc(Bytes("010300640002")));
    EXPECT_EQ(RegisterBlock[0], 1);
    EXPECT_EQ(RegisterBlock[1], 255);

    EXPECT_FALSE(Modbus::ReadRegisters(100, 2, 500, 250));
}

TEST_F(TransactionTest, aReadLongerThanTheReplyBufferStaysWithinIt)
{
    std::vector<uint8_t> flood(300, 0x55);
    replies.push_back(flood);
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 100, 300));
}

TEST_F(TransactionTest, writesTakeTheirValuesFromTheRegisterBlockAndCountOnlyWhenTheMeterConfirms)
{
    RegisterBlock[0] = 255;
    replies.push_back(Bytes("011003f30001f1be"));
    const Modbus::WriteResult echoed = Modbus::WriteRegisters(1011, 1, 200, 250);
    EXPECT_EQ(requests.at(0), Bytes("011003f300010200ffc1d3"));
    EXPECT_TRUE(echoed.confirmed);
    EXPECT_EQ(echoed.exceptionCode, 0);
    EXPECT_EQ(echoed.received, 8);

    replies.push_back(WithCrc(Bytes("019002")));
    const Modbus::WriteResult refused = Modbus::WriteRegisters(1011, 1, 200, 250);
    EXPECT_FALSE(refused.confirmed);
    EXPECT_EQ(refused.exceptionCode, 2);
    EXPECT_EQ(refused.received, 5);

    // The answer to an earlier write of register 1010, arriving late, is not this write's.
    replies.push_back(WithCrc(Bytes("011003f20001")));
    EXPECT_FALSE(Modbus::WriteRegisters(1011, 1, 200, 250).confirmed);
}

TEST_F(TransactionTest, aReadReplyMustComeFromTheSlaveAskedWithFunction3AndEveryRegisterAsked)
{
    const char* const wrong[] = {"020304000100ff", "010404000100ff", "0103020001"};
    for (const char* reply : wrong) {
        RegisterBlock[0] = RegisterBlock[1] = -1;
        replies.push_back(WithCrc(Bytes(reply)));
        EXPECT_FALSE(Modbus::ReadRegisters(100, 2, 500, 250)) << reply;
        EXPECT_EQ(RegisterBlock[0], -1) << reply;
        EXPECT_EQ(RegisterBlock[1], -1) << reply;
    }
}

TEST_F(TransactionTest, nothingGoesOutToAnAddressOutside1To247OrOnAClosedPortAndTheLogSaysWhy)
{
    static QStringList logged;
    QLoggingCategory::setFilterRules(QStringLiteral("vemo400.modbus.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
    for (const int32_t slave : {0, 248, 300}) {
        SlaveId = slave;
        EXPECT_FALSE(Modbus::ReadRegisters(100, 2, 500, 250)) << slave;
        EXPECT_EQ(Modbus::WriteRegisters(1011, 1, 200, 250).received, 0) << slave;
    }
    SlaveId = 1;
    SerialPort.Close();
    EXPECT_FALSE(Modbus::WriteCoil(0, 0xFF00, 200, 250).confirmed);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    EXPECT_TRUE(pty.Receive(10, 100).empty());
    ASSERT_EQ(logged.size(), 7);
    EXPECT_EQ(logged[0].left(49), "not sent 00 03 00 64 00 02 84 05 (slave address 0")
        << logged[0].toStdString();
    EXPECT_TRUE(logged[6].endsWith("(the port is not open)")) << logged[6].toStdString();
}

TEST_F(TransactionTest, aCoilCommandCountsAsDoneOnlyOnTheMetersCopyOfIt)
{
    replies.push_back(WithCrc(Bytes("01050002ff00")));
    EXPECT_TRUE(Modbus::WriteCoil(2, 0xFF00, 200, 250).confirmed);
    EXPECT_EQ(requests.at(0), WithCrc(Bytes("01050002ff00")));
    replies.push_back({0x01});
    EXPECT_FALSE(Modbus::WriteCoil(2, 0x0000, 200, 250).confirmed) << "one byte";
    replies.push_back(WithCrc(Bytes("018504")));
    const Modbus::WriteResult refused = Modbus::WriteCoil(2, 0x0000, 200, 250);
    EXPECT_FALSE(refused.confirmed);
    EXPECT_EQ(refused.exceptionCode, 4);
}

TEST_F(TransactionTest, clearingTheLineSendsNothingAndDropsALateReply)
{
    pty.Send(Bytes("0103"));
    EXPECT_EQ(Modbus::ClearLine(100, 250), 2);
    EXPECT_TRUE(requests.empty());
}

TEST_F(TransactionTest, ratioRefreshDividesPrimariesBySecondariesAndKeepsRatiosItCannotCompute)
{
    Modbus::ForgetRatios();
    // CT 100/5, PT 100000/100 (100000 = 34464 + 1 x 65536).
    replies.push_back(WithCrc(Bytes("01030a"
                                    "0064"
                                    "0005"
                                    "86a0"
                                    "0001"
                                    "0064")));
    Modbus::RefreshRatios();
    EXPECT_EQ(requests.at(0), WithCrc(Bytes("010303e80005")));
    EXPECT_EQ(CtRatio, 20);
    EXPECT_EQ(PtRatio, 1000);

    replies.push_back(WithCrc(Bytes("01030a"
                                    "0064"
                                    "0000"
                                    "86a0"
                                    "0001"
                                    "0064")));
    Modbus::RefreshRatios();
    EXPECT_EQ(CtRatio, 20);
    EXPECT_EQ(PtRatio, 1000);

    Modbus::RefreshRatios(); // silence
    EXPECT_EQ(CtRatio, 20);

    replies.push_back(WithCrc(Bytes("01030a"
                                    "0064"
                                    "0003"
                                    "0001"
                                    "0000"
                                    "0001")));
    Modbus::RefreshRatios();
    EXPECT_EQ(CtRatio, 33);
    EXPECT_EQ(PtRatio, 1);
}
