#include "FrameBytes.h"
#include "PortChecks.h"
#include "comm/ModbusRtu.h"
#include "comm/SerialPort.h"

#include <chrono>
#include <gtest/gtest.h>
#include <windows.h>

// The Windows port against the simulated meter, which scripts/test-windows
// starts with its factory settings (slave 1, 9600 baud, CT 100/5, PT 220/220)
// and maps to COM1.
namespace {
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kMeterPort[] = "COM1";

std::vector<uint8_t> Built(int length)
{
    return {RequestBuffer, RequestBuffer + length};
}

bool RunsUnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

class MeterPortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(port.Open(kMeterPort, 9600, 0)) << "is the simulated meter on COM1?";
    }

    // Sends a frame and takes what the meter answers in the first read that
    // finds anything, or nothing when no answer arrives within the longest wait
    // a transaction uses.
    std::vector<uint8_t> Ask(const std::vector<uint8_t>& request, int maxCount = kReplyBufferSize)
    {
        EXPECT_EQ(port.Write(request.data(), static_cast<int>(request.size())),
                  static_cast<int>(request.size()));
        uint8_t buffer[kReplyBufferSize];
        const auto deadline = Clock::now() + 500ms;
        int received = 0;
        while ((received = port.Read(buffer, maxCount)) == 0 && Clock::now() < deadline)
            Sleep(1);
        return {buffer, buffer + received};
    }

    CSerialPort port;
};
} // namespace

TEST_F(MeterPortTest, opensByNameKeepsThePortOnReopenAndOnAFailedOpen)
{
    EXPECT_EQ(CSerialPort::DevicePath("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(CSerialPort::DevicePath("\\\\.\\COM12"), "\\\\.\\COM12");
    EXPECT_STREQ(port.DeviceName(), kMeterPort);

    ASSERT_TRUE(port.Open(kMeterPort, 19200, 2));
    EXPECT_EQ(port.Baud(), 19200u);
    EXPECT_FALSE(port.Open("COM99", 9600, 0));
    EXPECT_STREQ(port.DeviceName(), kMeterPort);
    EXPECT_EQ(port.Baud(), 19200u);

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_STREQ(port.DeviceName(), "");
    ASSERT_TRUE(port.Open(kMeterPort, 9600, 0));
    EXPECT_FALSE(Ask(WithCrc(Bytes("010303e80001"))).empty());
}

TEST_F(MeterPortTest, aPortHeldByAnotherHandleDoesNotOpen)
{
    CSerialPort second;
    const bool opened = second.Open(kMeterPort, 9600, 0);
    if (opened && RunsUnderWine())
        GTEST_SKIP() << "Wine grants a second handle to a serial device; Windows refuses it";
    EXPECT_FALSE(opened);
    EXPECT_FALSE(second.IsOpen());
}

TEST_F(MeterPortTest, readWithNothingWaitingReturnsAtOnceAndZeroFills)
{
    // A read that waited for a first byte would run into the total time-out: 300 x 2 ms.
    ExpectAReadOfNothingReturnsAtOnceZeroFilled(port, 300ms);
}

TEST_F(MeterPortTest, takesTheMeterWholeReplyInOneRead)
{
    // Registers 1000 to 1007: CT 100/5, PT 220 (two words)/220, wiring 0, address 1, rate index 1.
    EXPECT_EQ(Ask(Bytes("01 03 03 e8 00 08 c4 7c")),
              WithCrc(Bytes("01 03 10 0064 0005 00dc 0000 00dc 0000 0001 0001")));
}

TEST_F(MeterPortTest, writePurgesStaleInputBeforeTheRequestGoesOut)
{
    // Take one byte of the answer to the CT primary; the rest of it stays waiting.
    ASSERT_EQ(Ask(WithCrc(Bytes("010303e80001")), 1), Bytes("01"));
    EXPECT_EQ(Ask(WithCrc(Bytes("010303e90001"))), WithCrc(Bytes("0103020005")));
}

TEST_F(MeterPortTest, theRateReachesTheLine)
{
    const std::vector<uint8_t> request = WithCrc(Bytes("010303e80001"));
    // The meter runs at 9600 baud and does not hear a master at another rate.
    ASSERT_TRUE(port.Open(kMeterPort, 19200, 0));
    EXPECT_TRUE(Ask(request).empty());
    ASSERT_TRUE(port.Open(kMeterPort, 9600, 0));
    EXPECT_EQ(Ask(request), WithCrc(Bytes("0103020064")));
}

TEST_F(MeterPortTest, theByteEventIsSetWhileInputWaitsAndClosingEndsItsWait)
{
    const std::vector<uint8_t> request = WithCrc(Bytes("010303e80001"));
    // Take one byte of the reply; the rest is left waiting, which sets the event at once.
    ASSERT_EQ(Ask(request, 1), Bytes("01"));
    EXPECT_EQ(WaitForSingleObject(port.ArmByteEvent(), 500), WAIT_OBJECT_0);

    // The driver still holds an outstanding wait when the port closes, with the reply on its way
    // or already in; the port must let go of the wait's memory only once the wait has ended.
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(port.Open(kMeterPort, 9600, 0));
        port.ArmByteEvent();
        port.Write(request.data(), static_cast<int>(request.size()));
        if (round % 2)
            WaitForSingleObject(port.ArmByteEvent(), 500);
        port.Close();
    }
    ASSERT_TRUE(port.Open(kMeterPort, 9600, 0));
    EXPECT_EQ(Ask(request), WithCrc(Bytes("0103020064")));
}

// The frames are the codec suite's vectors; here the meter must take them.
TEST_F(MeterPortTest, theMeterAnswersTheCodecsFrames)
{
    std::vector<uint8_t> reply = Ask(Built(ModbusRtu.BuildReadRegisters(RequestBuffer, 1, 0, 1)));
    EXPECT_EQ(reply.size(), 7u);
    reply.resize(kReplyBufferSize);
    EXPECT_TRUE(ModbusRtu.CheckReadReply(reply.data(), RegisterBlock));

    RegisterBlock[0] = 255;
    reply = Ask(Built(ModbusRtu.BuildWriteRegisters(RequestBuffer, 1, 1011, 1, RegisterBlock)));
    EXPECT_EQ(reply, Bytes("011003f30001f1be"));
    reply.resize(kReplyBufferSize);
    EXPECT_TRUE(ModbusRtu.CheckWriteReply(reply.data(), RequestBuffer));

    // A coil command is echoed: relay 1 on, then off again.
    for (const int value : {0xFF00, 0x0000}) {
        const std::vector<uint8_t> command = Built(ModbusRtu.BuildWriteCoil(RequestBuffer, 1, 0, value));
        EXPECT_EQ(Ask(command), command);
    }
}
