#include "comm/FrameLog.h"

#include <QByteArray>

Q_LOGGING_CATEGORY(lcModbus, "vemo400.modbus", QtWarningMsg)

namespace {
QByteArray Hex(const uint8_t* bytes, int length)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), length).toHex(' ');
}
} // namespace

FrameLog::FrameLog(const uint8_t* request, int length)
{
    if (!lcModbus().isDebugEnabled())
        return;
    m_sent.start();
    qCDebug(lcModbus).noquote() << "tx" << Hex(request, length);
}

void FrameLog::Reply(const uint8_t* reply, int length) const
{
    if (!lcModbus().isDebugEnabled())
        return;
    qCDebug(lcModbus).noquote() << "rx" << m_sent.elapsed() << "ms"
                                << (length ? Hex(reply, length) : "(nothing)");
}

void FrameLog::Echo(const uint8_t* echo, int length) const
{
    if (!lcModbus().isDebugEnabled())
        return;
    qCDebug(lcModbus).noquote() << "echo" << m_sent.elapsed() << "ms" << Hex(echo, length);
}

void FrameLog::NotSent(const uint8_t* request, int length, const char* reason)
{
    if (!lcModbus().isDebugEnabled())
        return;
    qCDebug(lcModbus).noquote() << "not sent" << Hex(request, length) << QStringLiteral("(%1)").arg(reason);
}
