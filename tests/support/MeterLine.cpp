#include "MeterLine.h"

#include "comm/SerialPort.h"
#include "framework/BlockingSleep.h"

#include <chrono>
#include <fcntl.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {
LineTiming NoWireTime()
{
    LineTiming timing;
    timing.enabled = false;
    return timing;
}

MeterOptions WithModel(ModelMode model)
{
    MeterOptions options;
    options.model = model;
    return options;
}
} // namespace

MeterLine::MeterLine(ModelMode model) : m_meter(WithModel(model)), m_server(m_meter, NoWireTime())
{
    if (!m_server.Start())
        throw std::runtime_error("cannot start the simulated meter: " + m_server.Error());
    m_slaveSide = ::open(Path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (!SerialPort.Open(Path().c_str(), 9600, 0))
        throw std::runtime_error("cannot open the simulated meter's line");
    SetBlockingSleepFunction([this](int ms) { WaitForAnswer(ms); });
}

MeterLine::~MeterLine()
{
    SetBlockingSleepFunction({});
    SerialPort.Close();
    ::close(m_slaveSide);
    m_server.Stop();
}

void MeterLine::WaitForAnswer(int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    const bool received =
        m_server.Log().WaitForTotal(m_requestsSeen + 1, std::chrono::milliseconds(milliseconds));
    m_requestsSeen = m_server.Log().Total();
    const std::vector<RequestRecord> records = m_server.Log().Records();
    if (!received || records.empty() || records.back().fault == FaultMode::LateReply) {
        std::this_thread::sleep_until(deadline);
        return;
    }
    // The meter has decided to stay silent: nothing more will come.
    if (records.back().reply.empty())
        return;
    // The meter hands its reply to the line just after it logs the request.
    const int expected = static_cast<int>(records.back().reply.size());
    int waiting = 0;
    while (ioctl(m_slaveSide, FIONREAD, &waiting) == 0 && waiting < expected && Clock::now() < deadline)
        std::this_thread::yield();
}

std::vector<RequestRecord> MeterLine::Requests() const
{
    return m_server.Log().Records();
}

std::vector<RequestRecord> MeterLine::Requests(int function) const
{
    std::vector<RequestRecord> matching;
    for (const RequestRecord& record : Requests())
        if (record.info.function == function)
            matching.push_back(record);
    return matching;
}

void MeterLine::ClearRequests()
{
    m_server.Log().Clear();
    m_requestsSeen = m_server.Log().Total();
}

bool MeterLine::ReopenAt(int baud)
{
    SerialPort.Close();
    return SerialPort.Open(Path().c_str(), static_cast<unsigned>(baud), 0);
}
