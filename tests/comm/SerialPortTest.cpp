#include "comm/SerialPort.h"
#include "FrameBytes.h"
#include "PortChecks.h"
#include "PtyPair.h"
#include "comm/PortDiagnostics.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {
class SerialPortTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(port.Open(pty.SlavePath().c_str(), 9600, 0)); }

    // The rate the port set on the line, as the other end sees it.
    speed_t RateAtTheOtherEnd() const
    {
        termios t{};
        tcgetattr(pty.MasterFd(), &t);
        return cfgetospeed(&t);
    }

    PtyPair pty;
    CSerialPort port;
};
} // namespace

TEST_F(SerialPortTest, reopeningTheSameNameKeepsThePortAndAppliesTheNewRate)
{
    EXPECT_STREQ(port.DeviceName(), pty.SlavePath().c_str());
    EXPECT_EQ(RateAtTheOtherEnd(), static_cast<speed_t>(B9600));
    ASSERT_TRUE(port.Open(pty.SlavePath().c_str(), 19200, 2));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(RateAtTheOtherEnd(), static_cast<speed_t>(B19200));
}

TEST_F(SerialPortTest, aFailedOpenKeepsThePortThatWasOpen)
{
    EXPECT_FALSE(port.Open("/nonexistent/tty", 9600, 0));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_STREQ(port.DeviceName(), pty.SlavePath().c_str());
}

TEST_F(SerialPortTest, aPortHeldByAnotherProgramDoesNotOpen)
{
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_STREQ(port.DeviceName(), "");
    const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(port.Open(pty.SlavePath().c_str(), 9600, 0));
    ::close(other);
    EXPECT_TRUE(port.Open(pty.SlavePath().c_str(), 9600, 0));
}

TEST_F(SerialPortTest, readWithNothingWaitingReturnsAtOnceAndZeroFills)
{
    ExpectAReadOfNothingReturnsAtOnceZeroFilled(port, std::chrono::milliseconds(50));
}

TEST_F(SerialPortTest, takesAWholeReplyInOneReadButStopsAtAGapLongerThanTheInterval)
{
    const std::vector<uint8_t> reply = Bytes("010304000100022a32");
    pty.Send(reply);
    uint8_t buffer[250];
    // The bytes are already waiting; the read must not end before the last of them.
    EXPECT_EQ(port.Read(buffer, 250), static_cast<int>(reply.size()));
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), buffer));

    // At 9600 baud the interval time-out is 6 ms: the second half, 40 ms later, is a new read.
    pty.Send({0x01, 0x03, 0x04});
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        pty.Send({0x00, 0x01});
    });
    EXPECT_EQ(port.Read(buffer, 250), 3);
    late.join();
}

TEST_F(SerialPortTest, writePurgesStaleInputBeforeTheRequestGoesOut)
{
    pty.Send(Bytes("deadbeef"));
    const std::vector<uint8_t> request = Bytes("010300000001840a");
    ASSERT_EQ(port.Write(request.data(), static_cast<int>(request.size())), 8);
    EXPECT_EQ(pty.Receive(), request);
    uint8_t buffer[16];
    EXPECT_EQ(port.Read(buffer, 16), 0);
}

TEST(SerialLineSettingsTest, buildsEightDataBitsOneStopBitAndTheParityByCode)
{
    const termios none = CSerialPort::LineSettings(termios{}, 4800, 0);
    EXPECT_EQ(none.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(none.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(cfgetispeed(&none), static_cast<speed_t>(B4800));
    EXPECT_EQ(none.c_lflag & (ECHO | ICANON), 0u);

    const termios odd = CSerialPort::LineSettings(termios{}, 38400, 1);
    EXPECT_EQ(odd.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    const termios even = CSerialPort::LineSettings(odd, 38400, 2);
    EXPECT_EQ(even.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
}

TEST(SerialDeviceNameTest, mapsComNamesThroughTheEnvironmentOrToSerialDevices)
{
    setenv("VEMO400_COM3", "/tmp/meter-line", 1);
    EXPECT_EQ(CSerialPort::DevicePath("COM3"), "/tmp/meter-line");
    unsetenv("VEMO400_COM3");
    const std::string fallback = CSerialPort::DevicePath("COM3");
    EXPECT_TRUE(fallback == "/dev/ttyUSB2" || fallback == "/dev/ttyS2") << fallback;
    EXPECT_EQ(CSerialPort::DevicePath("/dev/ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(CSerialPort::CharacterMs(19200), 0);
    EXPECT_EQ(CSerialPort::CharacterMs(4800), 2);
}

TEST(PortOpenAdviceTest, namesTheOwningGroupForPermissionDeniedAndListsDevicesForAMissingOne)
{
    char path[] = "/tmp/vemo400-port-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string denied = PortOpenAdvice(path, EACCES);
    ::close(fd);
    ::unlink(path);
    EXPECT_EQ(denied.rfind("; you must be in the group '", 0), 0u) << denied;
    EXPECT_NE(denied.find("log in again"), std::string::npos) << denied;

    const std::string missing = PortOpenAdvice("/dev/ttyUSB97", ENOENT);
    EXPECT_EQ(missing.rfind("\nvemo400: ", 0), 0u) << missing;
    EXPECT_NE(missing.find("serial devices"), std::string::npos) << missing;
    EXPECT_EQ(PortOpenAdvice("/dev/ttyUSB0", EBUSY), "");
}
