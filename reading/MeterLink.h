#pragma once

#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "meter/PageReads.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>

// The line to one meter as the command line chose it: port, rate, parity and
// address, and an optional wait that replaces every request's own.
struct LineSettings
{
    QString port = QStringLiteral("COM1");
    unsigned baud = 9600;
    int parity = 0; // 0 none, 1 odd, 2 even
    int address = 1;
    int timeoutMs = 0;  // 0: each request waits as its page does
    int pauseMs = -1;   // idle time before each request beyond the frame gap; -1: VEMO400_PAUSE_MS
    bool rs485 = false; // RS-485 mode even without VEMO400_RS485=1
};

inline constexpr int kMinAddress = 1;
inline constexpr int kMaxAddress = 247;

QString ParityName(int parity);

// Opens the shared serial port and points SlaveId at the meter; every
// transaction then runs through comm/Transaction as the pages' do.
class MeterLink
{
public:
    explicit MeterLink(const LineSettings& settings) : m_settings(settings) {}

    const LineSettings& Settings() const { return m_settings; }
    // Closes the port and opens it again with the settings, then sets SlaveId.
    bool Open();
    // Follows a meter that now listens at another address or rate.
    bool Follow(int address, unsigned baud);
    // Points SlaveId at another meter on the open line.
    void SelectMeter(int address);

    // The wait of one request: the page's own, unless --timeout replaced it.
    int Wait(int pageWaitMs) const { return m_settings.timeoutMs > 0 ? m_settings.timeoutMs : pageWaitMs; }
    // A page's request or table with the wait this link gives it.
    template <class Request> Request Timed(Request request) const
    {
        request.waitMs = Wait(request.waitMs);
        return request;
    }

    // Function code 3 with the page's wait, sent up to three times as the pages send their
    // block tables; false with Failure() set when every reply fails.
    bool Read(int start, int count, int waitMs, int readLength);
    bool Read(const PageReads::Request& request)
    {
        return Read(request.first, request.count, request.waitMs, request.readLength);
    }
    // Refreshes the meter's transformer ratios with the reads' retries; false with Failure() set
    // while none have been read from this meter, whose scaled values would then be zeros.
    bool RefreshRatios();
    // A reading that scales by the ratios refreshes them first, as the pages poll, unless this is
    // called: then a meter's ratios are read with its first such reading, after a reading of it
    // failed (it counts as answering again only once they are read) and once they are older than
    // maxAge; the readings between scale by those last read from it. For serve and log, which read
    // the same meters over and over.
    void KeepRatiosFor(std::chrono::steady_clock::duration maxAge) { m_ratiosKeptFor = maxAge; }
    // Puts the ratios of the meter at SlaveId in use for a reading that scales by them, read or kept
    // as above; false with Failure() set while none have been read from this meter, or while one
    // that failed does not answer them.
    bool UseRatios();
    // Function code 16 of RegisterBlock[0..count); false with Failure() set unless the meter echoes it.
    bool Write(const PageReads::Request& request);

    void SetFailure(const QString& what) { m_failure = what; }
    const QString& Failure() const { return m_failure; }
    // "COM1 (/dev/ttyS0)", or the device path alone when it was given as such.
    QString PortText() const;
    // "COM1 (/dev/ttyS0), address 1": the start of every message about this meter.
    QString Where() const;

private:
    using Clock = std::chrono::steady_clock;
    struct KeptRatios
    {
        TransformerRatios ratios;
        Clock::time_point readAt;
        bool stale = false; // a reading of the meter failed since
    };

    // The line's refresh with the reads' retries; Failure() set unless the meter answered.
    Modbus::RatioRefresh ReadRatios();

    LineSettings m_settings;
    QString m_failure;
    std::optional<Clock::duration> m_ratiosKeptFor;
    std::map<int, KeptRatios> m_keptRatios; // by address: those last put in use by a refresh
};

// "registers 100 to 138"
QString RegisterRange(int start, int count);
