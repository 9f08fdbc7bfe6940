#include "ReplyLine.h"

#include "comm/LineWait.h"
#include "comm/ModbusFrame.h"
#include "comm/ModbusRtu.h"
#include "comm/SerialPort.h"

#include <stdexcept>
#include <unistd.h>

namespace {
// A wait of 100 ms lasts 1 ms, one of 500 ms 5 ms: time enough for an answer
// that this end writes as soon as it hears the request.
constexpr int kClockSpeed = 100;

// Slave address, function code, address field and count or value.
constexpr ssize_t kRequestHead = 6;

int Word(const uint8_t* at)
{
    return at[0] * 256 + at[1];
}

std::vector<uint8_t> WellFormedAnswer(FuzzInput& input, const uint8_t* request)
{
    if (request[1] != ModbusFrame::kReadHoldingRegisters)
        return ModbusFrame::WithCrc({request, request + 6});
    const int count = Word(request + 4);
    std::vector<uint8_t> reply{request[0], request[1], static_cast<uint8_t>(2 * count)};
    std::vector<uint8_t> data = input.Take(2 * static_cast<std::size_t>(count));
    data.resize(2 * static_cast<std::size_t>(count));
    reply.insert(reply.end(), data.begin(), data.end());
    return ModbusFrame::WithCrc(reply);
}
} // namespace

ReplyLine::ReplyLine() : m_request(m_pty.MasterFd(), QSocketNotifier::Read)
{
    // 38400 baud: the shortest interval time-out of the port's reads.
    if (!SerialPort.Open(m_pty.SlavePath().c_str(), 38400, 0))
        throw std::runtime_error("cannot open the pseudo-terminal as the serial port");
    // The transaction's wait runs the event loop, which hears the request through the notifier;
    // the answer is on the line at once, so no wait needs its real time.
    LineWait::SetClockSpeed(kClockSpeed);
    QObject::connect(&m_request, &QSocketNotifier::activated, [this] { Answer(); });
}

ReplyLine::~ReplyLine()
{
    LineWait::SetClockSpeed(1);
    SerialPort.Close();
}

void ReplyLine::Play(FuzzInput& input)
{
    m_input = &input;
    m_answeredWell = false;
}

std::vector<uint8_t> ReplyLine::MakeReply(FuzzInput& input, const uint8_t* request)
{
    if (input.Empty())
        return {};
    switch (input.Byte() % 4) {
    case 0:
        return input.Take(input.Byte());
    case 1:
        return ModbusFrame::WithCrc(input.Take(input.Byte()));
    case 2:
        return WellFormedAnswer(input, request);
    default:
        return ModbusFrame::WithCrc(
            {request[0], static_cast<uint8_t>(request[1] | ModbusFrame::kExceptionFlag), input.Byte()});
    }
}

bool ReplyLine::AnswersRead(const std::vector<uint8_t>& reply, const uint8_t* request)
{
    const int count = Word(request + 4);
    const std::size_t length = 5 + 2 * static_cast<std::size_t>(count);
    return request[1] == ModbusFrame::kReadHoldingRegisters && reply.size() >= length &&
           reply[0] == request[0] && reply[1] == request[1] && reply[2] == 2 * count &&
           ModbusFrame::CrcMatches(reply.data(), static_cast<int>(length - 2));
}

// Every read of the tool asks for at least the reply buffer's size, so a reply
// padded to exactly that size ends the read, or the wait for it, at once.
void ReplyLine::Answer()
{
    uint8_t request[kRequestBufferSize] = {};
    const ssize_t length = ::read(m_pty.MasterFd(), request, sizeof request);
    if (length < kRequestHead || !m_input)
        return;
    std::vector<uint8_t> reply = MakeReply(*m_input, request);
    if (reply.empty())
        return;
    if (reply.size() > kReplyBufferSize)
        reply.resize(kReplyBufferSize);
    m_answeredWell = m_answeredWell || AnswersRead(reply, request);
    reply.resize(kReplyBufferSize);
    m_pty.Send(reply);
}
