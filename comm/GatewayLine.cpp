#include "comm/GatewayLine.h"

#include "comm/LineWait.h"
#include "comm/MbapFrame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
// Long enough for a gateway across a site network, short enough for a navigation step.
constexpr int kConnectTimeoutMs = 3000;
} // namespace

CGatewayLine::CGatewayLine(Framing framing, const QString& name, const QString& host, quint16 port,
                           unsigned baud)
    : m_framing(framing), m_name(name), m_host(host), m_port(port), m_baud(baud)
{
}

bool CGatewayLine::Connect()
{
    m_socket.abort();
    m_socket.connectToHost(m_host, m_port);
    LineWait::Until(kConnectTimeoutMs, [this] {
        return m_socket.state() != QAbstractSocket::HostLookupState &&
               m_socket.state() != QAbstractSocket::ConnectingState;
    });
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

void CGatewayLine::TakeArrived()
{
    const QByteArray bytes = m_socket.readAll();
    if (bytes.isEmpty())
        return;
    m_quietSince = std::chrono::steady_clock::now();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    if (m_framing == Framing::RtuOverTcp) {
        m_arrived.insert(m_arrived.end(), data, data + bytes.size());
        return;
    }
    if (!m_replies.Take(data, static_cast<int>(bytes.size()), m_arrived)) {
        std::fprintf(stderr, "vemo400: %s sends no Modbus TCP frames; connecting again\n",
                     qPrintable(m_name));
        m_socket.abort();
    }
}

int CGatewayLine::Read(uint8_t* buffer, int maxCount)
{
    std::memset(buffer, 0, static_cast<std::size_t>(std::max(maxCount, 0)));
    TakeArrived();
    const int count = std::min(maxCount, static_cast<int>(m_arrived.size()));
    if (count <= 0)
        return 0;
    std::copy_n(m_arrived.begin(), count, buffer);
    m_arrived.erase(m_arrived.begin(), m_arrived.begin() + count);
    return count;
}

std::vector<uint8_t> CGatewayLine::Framed(const uint8_t* request, int length)
{
    if (m_framing == Framing::RtuOverTcp)
        return {request, request + length};
    ++m_transactionId;
    m_replies.Expect(m_transactionId, request[0], request[1]);
    return Mbap::FromRtu(m_transactionId, request, static_cast<std::size_t>(length));
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
    // Whatever is still on the way belongs to an earlier request.
    m_socket.readAll();
    m_arrived.clear();
    const std::vector<uint8_t> frame = Framed(buffer, length);
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
