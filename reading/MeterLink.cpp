#include "reading/MeterLink.h"

#include "comm/ExchangeVerdict.h"
#include "comm/FrameGap.h"
#include "comm/Line.h"
#include "comm/ModbusRtu.h"
#include "comm/SerialPort.h"
#include "comm/Transaction.h"

namespace {
// A reading the console program was asked for is worth a second and third try of a request
// that a busy meter or a noisy line lost; the pages send their block tables as often.
constexpr int kAttempts = 3;
} // namespace

QString ParityName(int parity)
{
    static const char* const names[] = {"none", "odd", "even"};
    return QString::fromLatin1(names[parity]);
}

QString RegisterRange(int start, int count)
{
    return QStringLiteral("registers %1 to %2").arg(start).arg(start + count - 1);
}

bool MeterLink::Open()
{
    SerialPort.Close();
    m_keptRatios.clear();
    SlaveId = m_settings.address;
    if (m_settings.rs485)
        SerialPort.SetRs485(true);
    FrameGap::SetPauseMs(m_settings.pauseMs);
    SetGatewayAllowanceMs(m_settings.timeoutMs > 0 ? 0 : -1);
    if (OpenLine(m_settings.port.toLocal8Bit().constData(), m_settings.baud, m_settings.parity))
        return true;
    m_failure = IsGatewayName(m_settings.port.toLocal8Bit().constData())
                    ? QStringLiteral("cannot connect to the gateway")
                    : QStringLiteral("cannot open the port at %1 baud").arg(m_settings.baud);
    return false;
}

bool MeterLink::Follow(int address, unsigned baud)
{
    m_settings.address = address;
    m_settings.baud = baud;
    return Open();
}

void MeterLink::SelectMeter(int address)
{
    m_settings.address = address;
    SlaveId = address;
}

bool MeterLink::Read(int start, int count, int waitMs, int readLength)
{
    for (int attempt = 0; attempt < kAttempts && !Modbus::CalledOff(); ++attempt)
        if (Modbus::ReadRegisters(start, count, Wait(waitMs), readLength))
            return true;
    m_failure = QStringLiteral("no valid answer to reading ") + RegisterRange(start, count);
    // The meter may have been replaced or set anew while it did not answer.
    if (const auto kept = m_keptRatios.find(m_settings.address); kept != m_keptRatios.end())
        kept->second.stale = true;
    return false;
}

Modbus::RatioRefresh MeterLink::ReadRatios()
{
    Modbus::RatioRefresh refresh = Modbus::RatioRefresh::None;
    for (int attempt = 0; attempt < kAttempts && !Modbus::CalledOff(); ++attempt) {
        refresh = Modbus::RefreshRatiosOf(Wait(Modbus::kRatioWaitMs));
        if (refresh == Modbus::RatioRefresh::Answered) {
            m_keptRatios[m_settings.address] = {{CtRatio, PtRatio}, Clock::now(), false};
            return refresh;
        }
    }
    constexpr int first = RegisterMap::kCtPrimary;
    m_failure = QStringLiteral("no valid answer to reading the transformer ratios, ") +
                RegisterRange(first, RegisterMap::kPtSecondary - first + 1);
    return refresh;
}

bool MeterLink::RefreshRatios()
{
    return ReadRatios() != Modbus::RatioRefresh::None;
}

bool MeterLink::UseRatios()
{
    if (!m_ratiosKeptFor)
        return RefreshRatios();
    const auto kept = m_keptRatios.find(m_settings.address);
    const bool fresh = kept != m_keptRatios.end() && !kept->second.stale;
    if (fresh && Clock::now() - kept->second.readAt < *m_ratiosKeptFor) {
        CtRatio = kept->second.ratios.ct;
        PtRatio = kept->second.ratios.pt;
        return true;
    }
    // Ratios merely old still scale a meter that answers; one that failed must answer them first.
    const Modbus::RatioRefresh refresh = ReadRatios();
    return refresh == Modbus::RatioRefresh::Answered || (refresh == Modbus::RatioRefresh::Earlier && fresh);
}

bool MeterLink::Write(const PageReads::Request& request)
{
    const Modbus::WriteResult written =
        Modbus::WriteRegisters(request.first, request.count, Wait(request.waitMs), request.readLength);
    if (written.confirmed)
        return true;
    const QString range = RegisterRange(request.first, request.count);
    m_failure = written.exceptionCode == 0 ? QStringLiteral("the meter did not confirm writing ") + range
                                           : QStringLiteral("the meter refused writing %1: exception %2 (%3)")
                                                 .arg(range)
                                                 .arg(written.exceptionCode)
                                                 .arg(QLatin1String(ExceptionMeaning(written.exceptionCode)));
    return false;
}

QString MeterLink::PortText() const
{
    const QString device =
        QString::fromStdString(CSerialPort::DevicePath(m_settings.port.toLocal8Bit().constData()));
    return device == m_settings.port ? device : QStringLiteral("%1 (%2)").arg(m_settings.port, device);
}

QString MeterLink::Where() const
{
    return QStringLiteral("%1, address %2").arg(PortText()).arg(m_settings.address);
}
