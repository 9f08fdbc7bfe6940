#pragma once

#include "exporter/ConnectionLimits.h"

#include <QSslConfiguration>
#include <QTcpServer>
#include <optional>

class QSslSocket;

// The TCP server that Qt's HTTP server is bound to. It makes each connection's
// socket itself (TLS when configured), counts it, closes one over the limit at
// once, puts a ConnectionGuard in front of it before the HTTP server connects
// to it, and hands it over (a TLS one once its handshake is done).
class GuardedTcpServer : public QTcpServer
{
public:
    GuardedTcpServer(std::optional<QSslConfiguration> tls, const ConnectionLimits& limits);

protected:
    void incomingConnection(qintptr handle) override;

private:
    void HandOverAfterHandshake(QSslSocket& socket);

    std::optional<QSslConfiguration> m_tls;
    ConnectionLimits m_limits;
};
