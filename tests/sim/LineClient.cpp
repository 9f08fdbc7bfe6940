#include "LineClient.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
speed_t CodeOf(int baud)
{
    switch (baud) {
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    default:
        return B9600;
    }
}
} // namespace

CLineClient::~CLineClient()
{
    Close();
}

bool CLineClient::Open(const std::string& path, int baud)
{
    Close();
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    return m_fd >= 0 && SetBaud(baud);
}

void CLineClient::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool CLineClient::SetBaud(int baud)
{
    termios settings{};
    if (tcgetattr(m_fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    cfsetispeed(&settings, CodeOf(baud));
    cfsetospeed(&settings, CodeOf(baud));
    return tcsetattr(m_fd, TCSANOW, &settings) == 0;
}

void CLineClient::Send(Frame body)
{
    ModbusFrame::AppendCrc(body);
    SendRaw(body);
}

void CLineClient::SendRaw(const Frame& bytes)
{
    tcflush(m_fd, TCIFLUSH);
    [[maybe_unused]] const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
}

Frame CLineClient::ReadWaiting()
{
    Frame bytes;
    uint8_t chunk[512];
    ssize_t got = 0;
    while ((got = ::read(m_fd, chunk, sizeof chunk)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    return bytes;
}

Frame CLineClient::ReadReply(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Frame reply;
    while (!IsComplete(reply)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) > 0) {
            const Frame more = ReadWaiting();
            reply.insert(reply.end(), more.begin(), more.end());
        }
    }
    return reply;
}

Frame CLineClient::Ask(Frame body, std::chrono::milliseconds timeout)
{
    Send(std::move(body));
    return ReadReply(timeout);
}

bool CLineClient::IsComplete(const Frame& reply)
{
    if (reply.size() < 5)
        return false;
    if (reply[1] & 0x80)
        return reply.size() >= 5;
    if (reply[1] == 3)
        return reply.size() >= 5u + reply[2];
    return reply.size() >= 8;
}

Frame ReadRequest(int slave, int start, int count)
{
    return {static_cast<uint8_t>(slave),      3,
            static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start & 0xFF),
            static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count & 0xFF)};
}

Frame WriteRequest(int slave, int start, const std::vector<uint16_t>& values)
{
    const auto count = values.size();
    Frame frame{static_cast<uint8_t>(slave),        16, static_cast<uint8_t>(start >> 8),
                static_cast<uint8_t>(start & 0xFF), 0,  static_cast<uint8_t>(count),
                static_cast<uint8_t>(2 * count)};
    for (uint16_t value : values) {
        frame.push_back(static_cast<uint8_t>(value >> 8));
        frame.push_back(static_cast<uint8_t>(value & 0xFF));
    }
    return frame;
}

Frame CoilRequest(int slave, int coil, bool closed)
{
    return {static_cast<uint8_t>(slave),
            5,
            0,
            static_cast<uint8_t>(coil),
            static_cast<uint8_t>(closed ? 0xFF : 0),
            0};
}
