#include "sim/SimGateway.h"

#include "comm/MbapFrame.h"
#include "comm/ModbusFrame.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const char kLoopback[] = "127.0.0.1";
// An RTU frame of a function whose length the meter cannot tell ends when the client
// pauses this long; one frame normally arrives in one segment.
constexpr std::chrono::milliseconds kFrameSilence{10};
// How soon the gateway tries again when it cannot listen after a client left.
constexpr std::chrono::milliseconds kListenRetry{100};
constexpr std::size_t kChunk = 512;
// A request runs to 264 bytes at most (a write of 255 data bytes): bytes that run on past
// that without a pause hold no request, and are given up then rather than kept until the
// client pauses.
constexpr std::size_t kLongestRequest = 9 + 255;
// Replies a gateway keeps waiting for their time; a client that sends faster than they
// leave finds its further requests unanswered.
constexpr std::size_t kMostQueued = 64;
constexpr int kHighestPort = 65535;

bool IsPortNumber(const std::string& text, int& port)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stoi(text);
    return port <= kHighestPort;
}
} // namespace

CSimGateway::CSimGateway(CSimServer& line, GatewayMode mode) : m_line(line), m_mode(mode) {}

CSimGateway::~CSimGateway()
{
    Stop();
}

bool CSimGateway::ParseEndpoint(const std::string& text, std::string& host, int& port)
{
    const std::size_t colon = text.rfind(':');
    host = colon == std::string::npos || colon == 0 ? kLoopback : text.substr(0, colon);
    const std::string portText = colon == std::string::npos ? text : text.substr(colon + 1);
    return CTcpListener::IsAddress(host) && IsPortNumber(portText, port);
}

std::string CSimGateway::Url() const
{
    return std::string(m_mode == GatewayMode::ModbusTcp ? "tcp" : "rtu-tcp") + "://" + m_host + ":" +
           std::to_string(m_port);
}

bool CSimGateway::Start(const std::string& host, int port)
{
    if (IsRunning())
        return true;
    if (!m_listener.Open(host, port))
        return false;
    m_host = host;
    m_port = m_listener.Port();
    m_serving.Start([this] { Serve(); });
    return true;
}

void CSimGateway::Stop()
{
    if (!IsRunning())
        return;
    m_serving.Stop();
    if (m_clientFd >= 0)
        ::close(m_clientFd);
    m_clientFd = -1;
    m_hasClient = false;
    m_incoming.clear();
    m_outgoing.clear();
    m_listenAgain.reset();
    m_listener.Close();
}

std::optional<CSimGateway::Clock::time_point> CSimGateway::NextDue() const
{
    std::optional<Clock::time_point> due = m_listenAgain;
    auto consider = [&due](Clock::time_point at) { due = due ? std::min(*due, at) : at; };
    if (!m_outgoing.empty())
        consider(m_outgoing.front().due);
    if (m_mode == GatewayMode::RtuOverTcp && !m_incoming.empty())
        consider(m_lastByte + kFrameSilence);
    return due;
}

void CSimGateway::Serve()
{
    while (!m_serving.Stopping()) {
        // A negative descriptor (no client and no listener while listening is retried) is skipped.
        const short events = m_serving.Wait(m_clientFd >= 0 ? m_clientFd : m_listener.Fd(), NextDue());
        const Clock::time_point now = Clock::now();
        if (events && m_clientFd >= 0)
            ReadClient(now);
        else if (events)
            TakeClient();
        if (m_mode == GatewayMode::RtuOverTcp && !m_incoming.empty() && now >= m_lastByte + kFrameSilence)
            ProcessUnended();
        if (m_listenAgain && now >= *m_listenAgain)
            m_listenAgain =
                m_listener.Open(m_host, m_port) ? std::nullopt : std::optional(now + kListenRetry);
        SendDue(now);
    }
}

// One client at a time: with the listening socket closed, a second client is refused.
void CSimGateway::TakeClient()
{
    const int client = m_listener.Accept();
    if (client < 0)
        return;
    m_clientFd = client;
    m_listener.Close();
    m_hasClient = true;
}

// Replies still waiting were for the client that left; the next one gets none of them.
void CSimGateway::DropClient()
{
    ::close(m_clientFd);
    m_clientFd = -1;
    m_hasClient = false;
    m_incoming.clear();
    m_outgoing.clear();
    if (!m_listener.Open(m_host, m_port))
        m_listenAgain = Clock::now() + kListenRetry;
}

void CSimGateway::ReadClient(Clock::time_point now)
{
    uint8_t chunk[kChunk];
    const ssize_t got = ::recv(m_clientFd, chunk, sizeof chunk, 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got <= 0) {
        DropClient();
        return;
    }
    m_lastByte = now;
    m_incoming.insert(m_incoming.end(), chunk, chunk + got);
    if (m_mode == GatewayMode::ModbusTcp) {
        TakeMbapFrames();
        return;
    }
    TakeRtuFrames();
    if (m_incoming.size() > kLongestRequest)
        ProcessUnended();
}

void CSimGateway::ProcessUnended()
{
    Frame unended;
    unended.swap(m_incoming);
    Process(unended, std::nullopt);
}

// A frame of a known function ends at its length, without waiting for a pause.
void CSimGateway::TakeRtuFrames()
{
    for (;;) {
        const int expected = CModbusSlave::ExpectedRequestLength(m_incoming);
        if (expected <= 0 || m_incoming.size() < static_cast<std::size_t>(expected))
            return;
        const Frame frame(m_incoming.begin(), m_incoming.begin() + expected);
        m_incoming.erase(m_incoming.begin(), m_incoming.begin() + expected);
        Process(frame, std::nullopt);
    }
}

// A frame of another protocol is skipped; a length no frame has leaves nothing to follow,
// so the connection is closed, as a gateway does on garbage.
void CSimGateway::TakeMbapFrames()
{
    for (;;) {
        const Mbap::Taken taken = Mbap::Take(m_incoming.data(), m_incoming.size());
        if (taken.head == Mbap::Head::NeedMore)
            return;
        if (taken.head == Mbap::Head::Garbage) {
            Ignore(m_incoming);
            DropClient();
            return;
        }
        const auto end = m_incoming.begin() + static_cast<std::ptrdiff_t>(taken.length);
        const bool request = taken.protocol == 0;
        const Frame frame =
            request ? Mbap::ToRtu(m_incoming.data(), taken.length) : Frame(m_incoming.begin(), end);
        m_incoming.erase(m_incoming.begin(), end);
        if (request)
            Process(frame, taken.transaction);
        else
            Ignore(frame);
    }
}

void CSimGateway::SendDue(Clock::time_point now)
{
    while (!m_outgoing.empty() && m_outgoing.front().due <= now) {
        const Frame& bytes = m_outgoing.front().bytes;
        [[maybe_unused]] const ssize_t sent = ::send(m_clientFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        m_outgoing.erase(m_outgoing.begin());
    }
}

void CSimGateway::Ignore(const Frame& bytes)
{
    m_line.Log().Add({bytes, RequestInfo{}, {}, Outcome::Ignored, std::nullopt, 0});
}

// Answers one RTU request (built from the MBAP frame of a transaction in Modbus TCP) and
// queues the reply for its time: the turnaround only, as there is no serial wire time to
// the client, plus the late-reply delay.
void CSimGateway::Process(const Frame& request, std::optional<uint16_t> transaction)
{
    RequestRecord record{request, CModbusSlave::Decode(request), {}, Outcome::Ignored, std::nullopt, 0};
    if (m_outgoing.size() >= kMostQueued) {
        m_line.Log().Add(record);
        return;
    }
    std::optional<Frame> reply = Answer(record);
    if (reply && transaction)
        reply = Forwarded(*reply, request);
    record.reply = reply.value_or(Frame{});
    const LineTiming timing = m_line.Timing();
    Clock::duration delay = timing.enabled ? Clock::duration(timing.turnaround) : Clock::duration{};
    if (record.fault == FaultMode::LateReply)
        delay += timing.lateReply;
    m_line.Log().Add(record);
    if (!reply)
        return;
    Outgoing next{Clock::now() + delay,
                  transaction ? Mbap::FromRtu(*transaction, reply->data(), reply->size()) : *reply};
    const auto later =
        std::upper_bound(m_outgoing.begin(), m_outgoing.end(), next.due,
                         [](Clock::time_point due, const Outgoing& queued) { return due < queued.due; });
    m_outgoing.insert(later, std::move(next));
}

// The reply the meter asked (or the gateway, for a unit it does not know) gives, with the
// line's faults applied; the record learns what became of the request.
std::optional<Frame> CSimGateway::Answer(RequestRecord& record)
{
    const Frame& request = record.request;
    if (IsForUnknownUnit(request)) {
        record.outcome = Outcome::UnknownUnit;
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::GatewayTargetFailed);
    }
    if (m_line.IsCablePulled()) {
        record.outcome = Outcome::CablePulled;
        return std::nullopt;
    }
    CSimMeter& meter = m_line.MeterFor(request);
    meter.Update();
    Frame withheld;
    std::optional<Frame> reply = meter.Answer(request, &withheld);
    if (!reply) {
        if (!withheld.empty())
            record.outcome =
                (withheld[1] & ModbusFrame::kExceptionFlag) ? Outcome::BroadcastRefused : Outcome::Broadcast;
        return std::nullopt;
    }
    record.outcome = Outcome::Answered;
    record.fault = m_line.Faults().Draw(record.info.function);
    if (record.fault) {
        record.outcome = Outcome::Faulted;
        reply = CFaultInjector::Apply(*record.fault, *reply);
    }
    return reply;
}

// A Modbus TCP gateway forwards only a good frame from the unit asked: a damaged reply
// becomes no reply, or exception 0x0B when the gateway answers for what it cannot reach.
std::optional<Frame> CSimGateway::Forwarded(const Frame& reply, const Frame& request) const
{
    if (ModbusFrame::HasValidCrc(reply) && reply[0] == request[0])
        return reply;
    if (m_unknown == UnknownUnits::Exception)
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::GatewayTargetFailed);
    return std::nullopt;
}

bool CSimGateway::IsForUnknownUnit(const Frame& request) const
{
    return m_unknown == UnknownUnits::Exception && request.size() >= 4 && ModbusFrame::HasValidCrc(request) &&
           request[0] != 0 && !m_line.HasMeterAt(request[0]);
}
