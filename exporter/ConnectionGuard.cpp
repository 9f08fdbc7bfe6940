#include "exporter/ConnectionGuard.h"

#include <QTcpSocket>

namespace {
// How long a refused connection stays open after its answer, while whatever the client still sends
// is thrown away: closing a socket with unread bytes resets the connection, and a reset can destroy
// the answer before the client has read it.
constexpr std::chrono::milliseconds kLingerAfterRefusal = std::chrono::seconds(2);

// The length of the request head at the start of bytes, read as Qt's HTTP server reads it: blanks
// before the request line are skipped, and the head ends with an empty line (CRLF or LF alone).
// -1 while its end has not come.
qsizetype RequestHeadLength(QByteArrayView bytes)
{
    qsizetype start = 0;
    while (start < bytes.size() && QByteArrayView(" \t\r\n\v").contains(bytes[start]))
        ++start;
    for (qsizetype end = bytes.indexOf('\n', start); end >= 0; end = bytes.indexOf('\n', end + 1)) {
        const QByteArrayView next = bytes.sliced(end + 1);
        if (next.startsWith('\n'))
            return end + 2;
        if (next.startsWith("\r\n"))
            return end + 3;
    }
    return -1;
}

// Whether a head announces a body: any Transfer-Encoding, or a Content-Length other than 0.
bool AnnouncesBody(QByteArrayView head)
{
    for (const QByteArray& line : head.toByteArray().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        if (colon > 0 && (name == "transfer-encoding" ||
                          (name == "content-length" && line.mid(colon + 1).trimmed() != "0")))
            return true;
    }
    return false;
}
} // namespace

ConnectionGuard::ConnectionGuard(QTcpSocket& socket, const ConnectionLimits& limits)
    : QObject(&socket), m_socket(socket), m_maxHeadBytes(limits.maxHeadBytes)
{
    m_socket.setReadBufferSize(m_maxHeadBytes);
    m_idle.setSingleShot(true);
    m_idle.setInterval(limits.idle);
    m_idle.callOnTimeout(this, [this] { CloseIdle(); });
    m_idle.start();
    connect(&m_socket, &QIODevice::readyRead, this, [this] { Look(); });
}

void ConnectionGuard::Look()
{
    if (m_refused)
        return Discard();
    // Between requests the server holds no transaction on the socket and what is there starts the next
    // request; within one it has read everything that came before.
    if (!m_socket.isTransactionStarted())
        m_head.clear();
    m_head += m_socket.peek(m_socket.bytesAvailable());
    const qsizetype length = RequestHeadLength(m_head);
    if (length < 0 ? m_head.size() >= m_maxHeadBytes : length > m_maxHeadBytes)
        return Refuse("431 Request Header Fields Too Large", "the request head is too long\n");
    if (length < 0)
        return;
    if (AnnouncesBody(QByteArrayView(m_head).first(length)))
        return Refuse("413 Content Too Large", "requests with a body are not served\n");
    m_idle.start();
}

// Answers the request in place of the server, which is to read nothing more on this connection, and
// closes the connection once the client has gone or after a while.
void ConnectionGuard::Refuse(QByteArrayView status, QByteArrayView why)
{
    m_refused = true;
    Discard();
    m_socket.write("HTTP/1.1 " + status.toByteArray() +
                   "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                   QByteArray::number(why.size()) + "\r\n\r\n" + why.toByteArray());
    m_idle.start(kLingerAfterRefusal);
}

// Throws away what has come, so the server, whose turn on this readyRead comes next, finds nothing to
// read. Its transaction, which would keep what is read, is ended first.
void ConnectionGuard::Discard()
{
    if (m_socket.isTransactionStarted())
        m_socket.commitTransaction();
    m_socket.skip(m_socket.bytesAvailable());
}

// The socket's disconnected signal, which would delete it, does not come for every state (a TLS
// handshake cut short), so it is deleted here in any case.
void ConnectionGuard::CloseIdle()
{
    m_socket.abort();
    m_socket.deleteLater();
}
