#pragma once

#include "comm/GatewayFrame.h"
#include "comm/Line.h"
#include "comm/StrayBytes.h"

#include <QString>
#include <QTcpSocket>
#include <memory>
#include <vector>

// A TCP connection to a serial-to-Ethernet gateway. Modbus TCP wraps each request in the
// MBAP header with a rising transaction id and passes only the reply of that transaction;
// RTU over TCP carries the RTU frames as they are. What the gateway sends is taken as it
// arrives, also between exchanges, so it never piles up: anything but the reply in flight is
// dropped and noted as stray. A connection that drops fails the exchange in flight as a
// silent meter would and is made again before the next request.
class CGatewayLine final : public CLine
{
public:
    enum class Framing
    {
        ModbusTcp,
        RtuOverTcp
    };

    CGatewayLine(Framing framing, const QString& name, const QString& host, quint16 port, unsigned baud);
    ~CGatewayLine() override;

    const QString& Name() const { return m_name; }
    // Connects with the window live; false, with the reason on standard error, when the
    // gateway refuses or does not answer within the connection time-out.
    bool Connect();
    bool IsConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void SetBaud(unsigned baud) { m_baud = baud; }
    // What the line holds of what the gateway sent and nobody has read yet: bounded by the
    // socket's read buffer, one frame and one reply.
    std::size_t HeldBytes() const;
    // What the line dropped as answering no request since it opened.
    int64_t StrayBytes() const { return m_stray.Total(); }

    bool IsOpen() const override { return true; }
    unsigned Baud() const override { return m_baud; }
    int Read(uint8_t* buffer, int maxCount) override;
    int Write(const uint8_t* buffer, int length) override;
    std::chrono::steady_clock::time_point QuietSince() const override { return m_quietSince; }
    int NetworkAllowanceMs() const override { return GatewayAllowanceMs(); }
    std::unique_ptr<QObject> WatchArrivals(std::function<void()> arrived) override;

private:
    // One connection attempt, waiting at most waitMs for its outcome.
    bool TryConnect(int waitMs);
    void TakeArrived();
    void DropUnread();

    QString m_name;
    QString m_host;
    quint16 m_port;
    unsigned m_baud;
    QTcpSocket m_socket;
    std::unique_ptr<GatewayFrame::CFraming> m_framing;
    CStrayBytes m_stray;
    std::vector<uint8_t> m_arrived; // the reply's RTU bytes; those before m_readAt have been read
    std::size_t m_readAt = 0;
    std::chrono::steady_clock::time_point m_quietSince{};
};
