#pragma once

#include "comm/GatewayFrame.h"
#include "comm/Line.h"

#include <QString>
#include <QTcpSocket>
#include <vector>

// A TCP connection to a serial-to-Ethernet gateway. Modbus TCP wraps each request in the
// MBAP header with a rising transaction id and passes only the reply of that transaction;
// RTU over TCP carries the RTU frames as they are. A connection that drops fails the
// exchange in flight as a silent meter would and is made again before the next request.
class CGatewayLine final : public CLine
{
public:
    enum class Framing
    {
        ModbusTcp,
        RtuOverTcp
    };

    CGatewayLine(Framing framing, const QString& name, const QString& host, quint16 port, unsigned baud);

    const QString& Name() const { return m_name; }
    // Connects with the window live; false, with the reason on standard error, when the
    // gateway refuses or does not answer within the connection time-out.
    bool Connect();
    bool IsConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void SetBaud(unsigned baud) { m_baud = baud; }

    bool IsOpen() const override { return true; }
    unsigned Baud() const override { return m_baud; }
    int Read(uint8_t* buffer, int maxCount) override;
    int Write(const uint8_t* buffer, int length) override;
    std::chrono::steady_clock::time_point QuietSince() const override { return m_quietSince; }
    int NetworkAllowanceMs() const override { return GatewayAllowanceMs(); }
    std::unique_ptr<QObject> WatchArrivals(std::function<void()> arrived) override;

private:
    void TakeArrived();
    std::vector<uint8_t> Framed(const uint8_t* request, int length);

    Framing m_framing;
    QString m_name;
    QString m_host;
    quint16 m_port;
    unsigned m_baud;
    QTcpSocket m_socket;
    GatewayFrame::CReplyReader m_replies;
    uint16_t m_transactionId = 0;
    std::vector<uint8_t> m_arrived; // RTU bytes not yet read
    std::chrono::steady_clock::time_point m_quietSince{};
};
