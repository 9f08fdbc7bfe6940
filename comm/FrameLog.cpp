#include "comm/FrameLog.h"

#include "comm/LineObserver.h"

#include <QByteArray>
#include <QDateTime>

Q_LOGGING_CATEGORY(lcModbus, "vemo400.modbus", QtWarningMsg)

namespace {
QByteArray Hex(const uint8_t* bytes, int length)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), length).toHex(' ');
}

std::span<const uint8_t> Bytes(const uint8_t* bytes, int length)
{
    return {bytes, static_cast<std::size_t>(length)};
}
} // namespace

FrameLog::FrameLog(const uint8_t* request, int length) : m_request(request), m_length(length)
{
    const bool logged = lcModbus().isDebugEnabled();
    if (!logged && !LineObserved())
        return;
    m_sent.start();
    m_sentAtMs = QDateTime::currentMSecsSinceEpoch();
    if (logged)
        qCDebug(lcModbus).noquote() << "tx" << Hex(request, length);
}

void FrameLog::Reply(const uint8_t* reply, int length) const
{
    if (LineObserved())
        ObserveLine({LineEvent::Exchange, Bytes(m_request, m_length), Bytes(reply, length), m_sentAtMs,
                     m_sent.elapsed(), nullptr});
    if (!lcModbus().isDebugEnabled())
        return;
    qCDebug(lcModbus).noquote() << "rx" << m_sent.elapsed() << "ms"
                                << (length ? Hex(reply, length) : "(nothing)");
}

void FrameLog::Echo(const uint8_t* bytes, int length) const
{
    if (LineObserved())
        ObserveLine({LineEvent::Echo, Bytes(m_request, m_length), Bytes(bytes, length), m_sentAtMs,
                     m_sent.elapsed(), nullptr});
    if (!lcModbus().isDebugEnabled())
        return;
    qCDebug(lcModbus).noquote() << "echo" << m_sent.elapsed() << "ms" << Hex(bytes, length);
}

void FrameLog::NotSent(const uint8_t* request, int length, const char* reason)
{
    if (LineObserved())
        ObserveLine(
            {LineEvent::NotSent, Bytes(request, length), {}, QDateTime::currentMSecsSinceEpoch(), 0, reason});
    if (!lcModbus().isDebugEnabled())
        return;
    qCDebug(lcModbus).noquote() << "not sent" << Hex(request, length) << QStringLiteral("(%1)").arg(reason);
}

void FrameLog::Stray(int64_t count, int64_t firstAtMs)
{
    if (LineObserved())
        ObserveLine({LineEvent::Stray, {}, {}, firstAtMs, 0, nullptr, count});
    if (!lcModbus().isDebugEnabled())
        return;
    qCDebug(lcModbus).noquote() << "stray" << count << "bytes answering no request, dropped";
}
