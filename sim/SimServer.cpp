#include "sim/SimServer.h"

#include "comm/ModbusFrame.h"
#include "sim/SimMeter.h"

#include <algorithm>
#include <poll.h>
#include <unistd.h>

namespace {
// A character on the line: start bit, eight data bits and a stop bit.
constexpr int kBitsPerCharacter = 10;
// The end of a frame whose length the slave cannot tell is found by a silence
// of 3.5 characters, but never shorter than this (the Modbus floor for fast
// rates, with room for the scheduler).
constexpr std::chrono::microseconds kMinimumSilence{2000};
constexpr std::size_t kLineChunk = 512;
} // namespace

CSimServer::CSimServer(CSimMeter& meter, const LineTiming& timing) : m_meter(meter), m_timing(timing) {}

CSimServer::~CSimServer()
{
    Stop();
}

bool CSimServer::Start()
{
    if (IsRunning())
        return true;
    if (!m_pty.Open(m_meter.Baud()))
        return false;
    m_serving.Start([this] { Serve(); });
    return true;
}

void CSimServer::Stop()
{
    if (!IsRunning())
        return;
    m_serving.Stop();
    m_pty.Close();
}

LineTiming CSimServer::Timing() const
{
    std::lock_guard lock(m_mutex);
    return m_timing;
}

void CSimServer::SetTiming(const LineTiming& timing)
{
    std::lock_guard lock(m_mutex);
    m_timing = timing;
}

void CSimServer::PullCable(std::optional<std::chrono::milliseconds> duration)
{
    std::lock_guard lock(m_mutex);
    m_cablePulled = true;
    m_cableBack = duration ? std::optional(Clock::now() + *duration) : std::nullopt;
}

void CSimServer::PlugCable()
{
    std::lock_guard lock(m_mutex);
    m_cablePulled = false;
    m_cableBack.reset();
}

bool CSimServer::IsCablePulled() const
{
    std::lock_guard lock(m_mutex);
    return m_cablePulled && (!m_cableBack || Clock::now() < *m_cableBack);
}

void CSimServer::AddMeter(CSimMeter& meter)
{
    std::lock_guard lock(m_mutex);
    m_others.push_back(&meter);
}

void CSimServer::RemoveMeter(CSimMeter& meter)
{
    std::lock_guard lock(m_mutex);
    std::erase(m_others, &meter);
}

CSimMeter& CSimServer::MeterFor(const Frame& request)
{
    std::lock_guard lock(m_mutex);
    for (CSimMeter* other : m_others)
        if (!request.empty() && request[0] == other->SlaveAddress())
            return *other;
    return m_meter;
}

bool CSimServer::HasMeterAt(int address) const
{
    std::lock_guard lock(m_mutex);
    return address == m_meter.SlaveAddress() ||
           std::any_of(m_others.begin(), m_others.end(),
                       [address](const CSimMeter* other) { return other->SlaveAddress() == address; });
}

CSimServer::Clock::duration CSimServer::CharTime(int baud) const
{
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(kBitsPerCharacter) / std::max(baud, 1)));
}

CSimServer::Clock::duration CSimServer::Silence() const
{
    const Clock::duration characters = CharTime(m_pty.LineBaud()) * 7 / 2;
    return Timing().enabled ? std::max<Clock::duration>(characters, kMinimumSilence) : kMinimumSilence;
}

void CSimServer::Serve()
{
    while (!m_serving.Stopping()) {
        std::optional<Clock::time_point> due;
        if (!m_incoming.empty())
            due = m_lastByte + Silence();
        if (!m_outgoing.empty())
            due = due ? std::min(*due, m_outgoingDue) : m_outgoingDue;
        const short events = m_serving.Wait(m_pty.MasterFd(), due);
        const Clock::time_point after = Clock::now();
        if (events & POLLIN)
            ReadLine(after);
        if (!m_incoming.empty() && after >= m_lastByte + Silence()) {
            Frame broken;
            broken.swap(m_incoming);
            Process(broken, m_firstByte);
        }
        if (!m_outgoing.empty() && after >= m_outgoingDue) {
            [[maybe_unused]] const ssize_t sent =
                ::write(m_pty.MasterFd(), m_outgoing.data(), m_outgoing.size());
            m_outgoing.clear();
            m_quietSince = Clock::now();
        }
    }
}

void CSimServer::ReadLine(Clock::time_point now)
{
    uint8_t chunk[kLineChunk];
    const ssize_t got = ::read(m_pty.MasterFd(), chunk, sizeof chunk);
    if (got <= 0)
        return;
    // Two stations talking at once on a half-duplex bus: the reply is lost.
    if (!m_outgoing.empty()) {
        m_outgoing.clear();
        m_log.MarkLastCollided();
    }
    if (!m_incoming.empty() && now - m_lastByte >= Silence()) {
        Frame ended;
        ended.swap(m_incoming);
        Process(ended, m_firstByte);
    }
    if (m_incoming.empty())
        m_firstByte = now;
    m_lastByte = now;
    m_incoming.insert(m_incoming.end(), chunk, chunk + got);
    TakeCompleteFrames();
}

// A frame of a known function ends at its length, without waiting for the silence.
void CSimServer::TakeCompleteFrames()
{
    for (;;) {
        const int expected = CModbusSlave::ExpectedRequestLength(m_incoming);
        if (expected <= 0 || m_incoming.size() < static_cast<std::size_t>(expected))
            return;
        const Frame frame(m_incoming.begin(), m_incoming.begin() + expected);
        m_incoming.erase(m_incoming.begin(), m_incoming.begin() + expected);
        Process(frame, m_firstByte);
    }
}

// The converter hands back what the master sent, whoever it was for.
void CSimServer::Echo(const Frame& request)
{
    if (Timing().echo) [[maybe_unused]]
        const ssize_t sent = ::write(m_pty.MasterFd(), request.data(), request.size());
}

// Whether a frame started sooner after the one before it than the meter needs; the frame's
// own end then starts the next quiet time.
bool CSimServer::CameTooSoon(Clock::time_point firstByte)
{
    const bool tooSoon = firstByte - m_quietSince < Timing().quietNeeded;
    m_quietSince = m_lastByte;
    return tooSoon;
}

void CSimServer::Process(const Frame& request, Clock::time_point firstByte)
{
    RequestRecord record{request,         CModbusSlave::Decode(request), {}, Outcome::Ignored, std::nullopt,
                         m_pty.LineBaud()};
    CSimMeter& meter = MeterFor(request);
    const int meterBaud = meter.Baud();
    Echo(request);
    const bool tooSoon = CameTooSoon(firstByte);
    if (IsCablePulled())
        record.outcome = Outcome::CablePulled;
    else if (record.lineBaud != meterBaud)
        record.outcome = Outcome::RateMismatch;
    else if (tooSoon)
        record.outcome = Outcome::TooSoon;
    if (record.outcome != Outcome::Ignored) {
        m_log.Add(std::move(record));
        return;
    }
    meter.Update();
    Frame withheld;
    std::optional<Frame> reply = meter.Answer(request, &withheld);
    if (!reply) {
        if (!withheld.empty())
            record.outcome =
                (withheld[1] & ModbusFrame::kExceptionFlag) ? Outcome::BroadcastRefused : Outcome::Broadcast;
        m_log.Add(std::move(record));
        return;
    }
    const LineTiming timing = Timing();
    Clock::duration delay{};
    record.outcome = Outcome::Answered;
    record.fault = m_faults.Draw(record.info.function);
    if (record.fault) {
        record.outcome = Outcome::Faulted;
        reply = CFaultInjector::Apply(*record.fault, *reply);
        if (*record.fault == FaultMode::LateReply)
            delay = timing.lateReply;
    }
    record.reply = reply.value_or(Frame{});
    m_log.Add(record);
    if (!reply)
        return;
    m_outgoing = *reply;
    m_outgoingDue = Clock::now() + delay;
    if (timing.enabled)
        m_outgoingDue = std::max(m_outgoingDue,
                                 firstByte + delay + timing.turnaround +
                                     CharTime(meterBaud) * static_cast<int>(request.size() + reply->size()));
}
