#pragma once

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <cstdint>

// Frame dumps for a field engineer: switch on with
//   QT_LOGGING_RULES="vemo400.modbus.debug=true"
// Off by default; nothing is formatted unless the category is enabled.
Q_DECLARE_LOGGING_CATEGORY(lcModbus)

// Logs one request and, later, its reply with the time since the request went out.
// Whatever it logs also goes to the line's observer (comm/LineObserver.h), when one is set.
class FrameLog
{
public:
    FrameLog(const uint8_t* request, int length);
    void Reply(const uint8_t* reply, int length) const;
    // Logs the converter's copy of the request, dropped ahead of the reply.
    void Echo(const uint8_t* echo, int length) const;
    // Logs a request that was built but never went on the line, and why.
    static void NotSent(const uint8_t* request, int length, const char* reason);
    // Logs bytes that answered no request and were dropped, the first of them at firstAtMs.
    static void Stray(int64_t count, int64_t firstAtMs);

private:
    const uint8_t* m_request;
    int m_length;
    int64_t m_sentAtMs = 0;
    QElapsedTimer m_sent;
};
