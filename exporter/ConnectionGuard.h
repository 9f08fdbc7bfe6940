#pragma once

#include "exporter/ConnectionLimits.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// Stands in front of Qt's HTTP server on one connection. It is connected to
// the socket's readyRead before the server is, so it sees each request's head
// before the server acts on it: a head that announces a body is answered 413,
// one longer than the limit 431; the server then reads nothing more from that
// connection, which closes when the client goes or shortly after. A connection
// that brings no whole request head within the idle time (from its start, its
// TLS handshake included, or from the previous request) is closed.
class ConnectionGuard : public QObject
{
public:
    // Becomes a child of the socket.
    ConnectionGuard(QTcpSocket& socket, const ConnectionLimits& limits);

private:
    void Look();
    void Refuse(QByteArrayView status, QByteArrayView why);
    void Discard();
    void CloseIdle();

    QTcpSocket& m_socket;
    qint64 m_maxHeadBytes;
    QByteArray m_head; // the request being read, from its first byte as far as it has come
    QTimer m_idle;
    bool m_refused = false;
};
