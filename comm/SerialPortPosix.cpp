#include "comm/SerialPort.h"

#include "comm/PortDiagnostics.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

namespace {
speed_t SpeedOf(unsigned baud)
{
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

bool Exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

int Milliseconds(std::chrono::steady_clock::duration d)
{
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

// Waits until fd is readable or writable; false on time-out or error.
bool WaitFor(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    int r;
    do {
        r = poll(&p, 1, std::max(timeoutMs, 0));
    } while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & events);
}
} // namespace

bool CSerialPort::IsOpen() const
{
    return m_fd >= 0;
}

std::string CSerialPort::DevicePath(const char* name)
{
    int number = 0;
    char rest = 0;
    if (std::sscanf(name, "COM%d%c", &number, &rest) != 1 || number < 1)
        return name;
    const std::string variable = "VEMO400_COM" + std::to_string(number);
    if (const char* mapped = std::getenv(variable.c_str()); mapped && *mapped)
        return mapped;
    const std::string usb = "/dev/ttyUSB" + std::to_string(number - 1);
    return Exists(usb) ? usb : "/dev/ttyS" + std::to_string(number - 1);
}

termios CSerialPort::LineSettings(termios t, unsigned baud, int parity)
{
    cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    if (parity == 1)
        t.c_cflag |= PARENB | PARODD;
    else if (parity == 2)
        t.c_cflag |= PARENB;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // Reads are timed with poll(); the driver returns at once with what it has.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (const speed_t speed = SpeedOf(baud); speed != B0) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    return t;
}

bool CSerialPort::OpenDevice(const char* name)
{
    const std::string path = DevicePath(name);
    // Non-blocking, so neither the open nor a read can hang on a dead line.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        std::fprintf(stderr, "vemo400: cannot open %s (%s): %s%s\n", name, path.c_str(), std::strerror(error),
                     PortOpenAdvice(path, error).c_str());
        return false;
    }
    // Exclusive: a port that another program holds must not be shared.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        std::fprintf(stderr, "vemo400: cannot open %s (%s): in use by another program\n", name, path.c_str());
        ::close(fd);
        return false;
    }
    ioctl(fd, TIOCEXCL);
    Close();
    m_fd = fd;
    m_name = name;
    return true;
}

void CSerialPort::Configure(unsigned baud, int parity)
{
    // Each step may fail on devices that do not support it (a pseudo-terminal keeps
    // neither parity nor data size, nor modem lines); only the open decides success.
    termios current{};
    if (tcgetattr(m_fd, &current) == 0) {
        const termios wanted = LineSettings(current, baud, parity);
        tcsetattr(m_fd, TCSANOW, &wanted);
    }
    int dtr = TIOCM_DTR;
    ioctl(m_fd, TIOCMBIS, &dtr);
    if (!m_rs485 || !EnterRs485Mode()) {
        int rts = TIOCM_RTS;
        ioctl(m_fd, TIOCMBIC, &rts);
    }
    m_characterMs = CharacterMs(baud);
    m_baud = baud;
}

// The kernel then raises RTS for each frame it sends and drops it once the last bit is out.
bool CSerialPort::EnterRs485Mode()
{
#ifdef __linux__
    serial_rs485 mode{};
    mode.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    if (ioctl(m_fd, TIOCSRS485, &mode) == 0)
        return true;
    const int error = errno;
#else
    const int error = ENOTSUP;
#endif
    std::fprintf(stderr, "vemo400: %s does not take RS-485 mode (%s); RTS stays low\n", m_name.c_str(),
                 std::strerror(error));
    return false;
}

void CSerialPort::Purge()
{
    tcflush(m_fd, TCIOFLUSH);
}

void CSerialPort::Close()
{
    if (m_fd < 0)
        return;
    // The exclusive flag outlives this handle while the other end holds the
    // line open; clear it so the next open (by anyone) succeeds.
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
    m_name.clear();
    m_baud = 0;
}

int CSerialPort::ReadDevice(uint8_t* buffer, int maxCount)
{
    std::memset(buffer, 0, static_cast<size_t>(std::max(maxCount, 0)));
    int waiting = 0;
    if (m_fd < 0 || maxCount <= 0 || ioctl(m_fd, FIONREAD, &waiting) != 0 || waiting < 1)
        return 0;

    // The read ends at maxCount bytes, after a gap of the interval time-out, or
    // when maxCount character times (plus one millisecond each) have passed.
    const int intervalMs = 3 * (m_characterMs + 1);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(maxCount * (m_characterMs + 1));
    int received = 0;
    while (received < maxCount) {
        const ssize_t n = ::read(m_fd, buffer + received, static_cast<size_t>(maxCount - received));
        if (n > 0) {
            received += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const int left = Milliseconds(deadline - std::chrono::steady_clock::now());
        if (left <= 0 || !WaitFor(m_fd, POLLIN, std::min(intervalMs, left)))
            break;
    }
    return received;
}

int CSerialPort::WriteDevice(const uint8_t* buffer, int length)
{
    if (m_fd < 0)
        return 0;
    Purge();
    // The driver takes a frame at once; the bound only keeps a stuck line from hanging the window.
    const int boundMs = 1000 + length * (m_characterMs + 1);
    int written = 0;
    while (written < length) {
        const ssize_t n = ::write(m_fd, buffer + written, static_cast<size_t>(length - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return 0;
        if (!WaitFor(m_fd, POLLOUT, boundMs))
            return 0;
    }
    return written;
}
