#include "comm/GatewayLine.h"

#include "comm/LineWait.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {
// Long enough for a gateway across a site network, short enough for a navigation step.
constexpr int kConnectTimeoutMs = 3000;
// How long a refused connection waits before it is tried again.
constexpr int kRefusedRetryMs = 100;

int MsUntil(std::chrono::steady_clock::time_point deadline)
{
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count());
}
// The most the socket keeps of what the gateway sent before the line takes it; beyond it
// the gateway waits on TCP's flow control.
constexpr qint64 kReadBufferSize = 64 * 1024;

std::unique_ptr<GatewayFrame::CFraming> MakeFraming(CGatewayLine::Framing framing)
{
    if (framing == CGatewayLine::Framing::ModbusTcp)
        return std::make_unique<GatewayFrame::CModbusTcpFraming>();
    return std::make_unique<GatewayFrame::CRtuFraming>();
}
} // namespace

CGatewayLine::CGatewayLine(Framing framing, const QString& name, const QString& host, quint16 port,
                           unsigned baud)
    : m_name(name), m_host(host), m_port(port), m_baud(baud), m_framing(MakeFraming(framing))
{
    m_socket.setReadBufferSize(kReadBufferSize);
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { TakeArrived(); });
}

CGatewayLine::~CGatewayLine()
{
    DropUnread();
    m_stray.Report();
}

bool CGatewayLine::Connect()
{
    m_stray.Drop(static_cast<int64_t>(m_framing->Held()));
    m_framing->Restart();
    // A gateway that serves one client at a time refuses the next until it has seen the last one
    // leave, as when console commands follow each other: refused, the connection is tried again
    // until the time-out ends.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    while (!TryConnect(MsUntil(deadline)) && m_socket.error() == QAbstractSocket::ConnectionRefusedError &&
           MsUntil(deadline) > kRefusedRetryMs && !LineWait::Closing())
        LineWait::For(kRefusedRetryMs);
    if (IsConnected()) {
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return true;
    }
    const QString reason = m_socket.state() == QAbstractSocket::UnconnectedState
                               ? m_socket.errorString()
                               : QStringLiteral("no answer within %1 s").arg(kConnectTimeoutMs / 1000);
    std::fprintf(stderr, "vemo400: cannot connect to %s: %s\n", qPrintable(m_name), qPrintable(reason));
    m_socket.abort();
    return false;
}

bool CGatewayLine::TryConnect(int waitMs)
{
    m_socket.abort();
    m_socket.connectToHost(m_host, m_port);
    LineWait::Until(std::max(waitMs, 1), [this] {
        return m_socket.state() != QAbstractSocket::HostLookupState &&
               m_socket.state() != QAbstractSocket::ConnectingState;
    });
    return IsConnected();
}

std::size_t CGatewayLine::HeldBytes() const
{
    return static_cast<std::size_t>(m_socket.bytesAvailable()) + m_framing->Held() + m_arrived.size();
}

// Runs whenever bytes arrive, whether or not an exchange waits, so the socket's buffer
// never fills with what nobody asked for. Each read takes at most the read buffer.
void CGatewayLine::TakeArrived()
{
    while (m_socket.isOpen() && m_socket.bytesAvailable() > 0) {
        const QByteArray bytes = m_socket.readAll();
        const std::size_t before = m_arrived.size();
        const GatewayFrame::Taken taken = m_framing->Take(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                                          static_cast<std::size_t>(bytes.size()), m_arrived);
        m_stray.Drop(static_cast<int64_t>(taken.dropped));
        if (m_arrived.size() > before)
            m_quietSince = std::chrono::steady_clock::now();
        if (taken.lost) {
            std::fprintf(stderr, "vemo400: %s sends no Modbus TCP frames; connecting again\n",
                         qPrintable(m_name));
            m_socket.abort();
        }
    }
}

int CGatewayLine::Read(uint8_t* buffer, int maxCount)
{
    std::memset(buffer, 0, static_cast<std::size_t>(std::max(maxCount, 0)));
    TakeArrived();
    const int count = std::min(maxCount, static_cast<int>(m_arrived.size() - m_readAt));
    if (count <= 0)
        return 0;
    std::copy_n(m_arrived.begin() + static_cast<std::ptrdiff_t>(m_readAt), count, buffer);
    m_readAt += static_cast<std::size_t>(count);
    if (m_readAt == m_arrived.size())
        DropUnread();
    return count;
}

// A reply the exchange left unread (it gave up waiting) is as stray as any other byte.
void CGatewayLine::DropUnread()
{
    m_stray.Drop(static_cast<int64_t>(m_arrived.size() - m_readAt));
    m_arrived.clear();
    m_readAt = 0;
}

int CGatewayLine::Write(const uint8_t* buffer, int length)
{
    if (length < 4)
        return 0;
    // The line opened connected, so a connection missing now was lost since the last exchange.
    if (!IsConnected()) {
        std::fprintf(stderr, "vemo400: %s: the connection was lost (%s); connecting again\n",
                     qPrintable(m_name), qPrintable(m_socket.errorString()));
        if (!Connect())
            return 0;
    }
    // Frames on their way keep their framing; whatever they held for an earlier request goes.
    TakeArrived();
    DropUnread();
    m_stray.Report();
    const std::vector<uint8_t> frame = m_framing->Send(buffer, length);
    const qint64 written =
        m_socket.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
    m_socket.flush();
    m_quietSince = std::chrono::steady_clock::now();
    return written == static_cast<qint64>(frame.size()) ? length : 0;
}

std::unique_ptr<QObject> CGatewayLine::WatchArrivals(std::function<void()> arrived)
{
    auto watch = std::make_unique<QObject>();
    QObject::connect(&m_socket, &QTcpSocket::readyRead, watch.get(), arrived);
    QObject::connect(&m_socket, &QTcpSocket::stateChanged, watch.get(), arrived);
    return watch;
}
