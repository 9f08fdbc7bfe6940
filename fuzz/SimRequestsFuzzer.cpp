// The simulated meter's request framing and slave: one request answered in
// process, or a stream of bytes with gaps sent over its line. The meter answers
// every well-formed request for its address with a well-formed reply or an
// exception, and never answers another address or a broken frame.

#include "FuzzCheck.h"
#include "comm/ModbusFrame.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <chrono>
#include <fcntl.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {
using ModbusFrame::kExceptionFlag;
constexpr int kOwnAddress = 17;
// Longer than the meter's shortest silence, so a gap ends a frame.
constexpr auto kGap = std::chrono::milliseconds(3);

int Word(const Frame& frame, std::size_t at)
{
    return frame[at] * 256 + frame[at + 1];
}

void CheckWellFormedAnswer(const Frame& request, const Frame& reply)
{
    FUZZ_CHECK(ModbusFrame::HasValidCrc(reply));
    FUZZ_CHECK(reply[0] == request[0]);
    if (reply[1] & kExceptionFlag) {
        FUZZ_CHECK(reply.size() == ModbusFrame::kExceptionReplyLength &&
                   reply[1] == (request[1] | kExceptionFlag));
        FUZZ_CHECK(reply[2] >= 1 && reply[2] <= 4);
        return;
    }
    FUZZ_CHECK(reply[1] == request[1]);
    if (request[1] == ModbusFrame::kReadHoldingRegisters) {
        const int count = Word(request, 4);
        FUZZ_CHECK(request.size() == 8 && reply[2] == 2 * count);
        FUZZ_CHECK(reply.size() == 5u + 2u * static_cast<unsigned>(count));
        return;
    }
    FUZZ_CHECK(request[1] == ModbusFrame::kWriteMultipleRegisters ||
               request[1] == ModbusFrame::kWriteSingleCoil);
    FUZZ_CHECK(reply.size() == 8 && std::equal(reply.begin(), reply.begin() + 6, request.begin()));
}

void AnswerOneRequest(FuzzInput& input, CSimMeter& meter)
{
    const uint8_t how = input.Byte();
    Frame request = input.Take(300);
    if ((how & 2) && !request.empty())
        request[0] = kOwnAddress;
    if (how & 1)
        ModbusFrame::AppendCrc(request);
    const std::optional<Frame> reply = meter.Answer(request);
    const bool forUs = ModbusFrame::HasValidCrc(request) && request[0] == kOwnAddress;
    FUZZ_CHECK(forUs == reply.has_value());
    if (reply)
        CheckWellFormedAnswer(request, *reply);
}

// The meter on its line, and a master's handle on the other end at the meter's rate.
class Line
{
public:
    Line() : m_server(m_meter, NoTiming())
    {
        if (!m_server.Start())
            throw std::runtime_error("cannot start the simulated meter: " + m_server.Error());
        m_fd = ::open(m_server.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios raw{};
        tcgetattr(m_fd, &raw);
        cfmakeraw(&raw);
        cfsetispeed(&raw, B9600);
        cfsetospeed(&raw, B9600);
        tcsetattr(m_fd, TCSANOW, &raw);
    }
    ~Line() { ::close(m_fd); }

    CSimMeter& Meter() { return m_meter; }
    CSimServer& Server() { return m_server; }
    void Send(const Frame& bytes)
    {
        [[maybe_unused]] const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
    }
    void Drain()
    {
        uint8_t chunk[512];
        while (::read(m_fd, chunk, sizeof chunk) > 0) {
        }
    }

private:
    static LineTiming NoTiming()
    {
        LineTiming timing;
        timing.enabled = false;
        return timing;
    }

    CSimMeter m_meter;
    CSimServer m_server;
    int m_fd = -1;
};

// Chunks of bytes, each followed by a gap or not; every request the meter
// framed from them and answered was addressed to it and got a well-formed reply.
void StreamWithGaps(FuzzInput& input, Line& line)
{
    line.Meter().SetSlaveAddress(kOwnAddress);
    line.Meter().SetBaud(9600);
    const std::size_t before = line.Server().Log().Total();
    while (!input.Empty()) {
        const uint8_t how = input.Byte();
        line.Send(input.Take(how & 0x3F));
        if (how & 0x80)
            std::this_thread::sleep_for(kGap);
    }
    std::this_thread::sleep_for(kGap);
    line.Drain();
    const std::vector<RequestRecord> records = line.Server().Log().Records();
    const std::size_t added = std::min(line.Server().Log().Total() - before, records.size());
    for (std::size_t i = records.size() - added; i < records.size(); ++i) {
        const RequestRecord& record = records[i];
        if (record.outcome != Outcome::Answered)
            continue;
        FUZZ_CHECK(ModbusFrame::HasValidCrc(record.request) && record.request[0] != 0);
        CheckWellFormedAnswer(record.request, record.reply);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    if (input.Byte() % 8 != 0) {
        static CSimMeter meter;
        meter.SetSlaveAddress(kOwnAddress);
        AnswerOneRequest(input, meter);
    } else {
        static Line line;
        StreamWithGaps(input, line);
    }
    return 0;
}
