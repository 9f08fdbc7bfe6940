#include "exporter/GuardedTcpServer.h"

#include "exporter/ConnectionGuard.h"

#include <QSslSocket>

GuardedTcpServer::GuardedTcpServer(std::optional<QSslConfiguration> tls, const ConnectionLimits& limits)
    : m_tls(std::move(tls)), m_limits(limits)
{
}

void GuardedTcpServer::incomingConnection(qintptr handle)
{
    // Each connection's socket is a child of this server until it is deleted.
    if (findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly).size() >= m_limits.maxConnections) {
        QTcpSocket refused;
        if (refused.setSocketDescriptor(handle))
            refused.abort();
        return;
    }
    QTcpSocket* socket = m_tls ? new QSslSocket(this) : new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return;
    }
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    new ConnectionGuard(*socket, m_limits);
    if (m_tls)
        HandOverAfterHandshake(static_cast<QSslSocket&>(*socket));
    else
        addPendingConnection(socket);
}

void GuardedTcpServer::HandOverAfterHandshake(QSslSocket& socket)
{
    socket.setSslConfiguration(*m_tls);
    connect(&socket, &QSslSocket::encrypted, this, [this, &socket] { addPendingConnection(&socket); });
    // A handshake that fails leaves nothing for the HTTP server.
    connect(&socket, &QAbstractSocket::errorOccurred, &socket, [&socket] {
        if (!socket.isEncrypted())
            socket.deleteLater();
    });
    socket.startServerEncryption();
}
