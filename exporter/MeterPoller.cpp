#include "exporter/MeterPoller.h"

#include "comm/LineObserver.h"
#include "comm/LineWait.h"
#include "comm/Transaction.h"
#include "diagnosis/WiringCheck.h"
#include "exporter/MeterMetrics.h"
#include "reading/CheckRead.h"
#include "reading/MeterLink.h"
#include "reading/PageReaders.h"

#include <QDateTime>

namespace {
// The energy counters, demands, records and the wiring change slowly: they are read this many times
// less often than the realtime page, and a meter's transformer ratios as seldom.
constexpr int kSlowPageFactor = 10;
// A line that keeps the asked intervals to within this share is not worth a message.
constexpr double kPaceTolerance = 0.05;

ReadingSchedule::Intervals Asked(CMeterPoller::Clock::duration every)
{
    return {every, every * kSlowPageFactor};
}

// A character on the line: start bit, eight data bits, the parity bit if any, stop bit.
CMeterPoller::Clock::duration WireTime(std::size_t bytes, const LineSettings& line)
{
    const int bits = line.parity == 0 ? 10 : 11;
    return std::chrono::duration_cast<CMeterPoller::Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(bytes) * bits / line.baud));
}

bool Exceeds(CMeterPoller::Clock::duration kept, CMeterPoller::Clock::duration asked)
{
    return std::chrono::duration<double>(kept) > std::chrono::duration<double>(asked) * (1 + kPaceTolerance);
}

QString SecondsText(CMeterPoller::Clock::duration duration)
{
    return QString::number(std::chrono::duration<double>(duration).count(), 'f', 1);
}
} // namespace

CMeterPoller::CMeterPoller(MeterLink& link, std::vector<int> addresses, Clock::duration every,
                           const Diagnosis::Declarations& declared, MeterMetrics& metrics,
                           QTextStream& messages)
    : m_link(link), m_addresses(std::move(addresses)), m_declared(declared), m_metrics(metrics),
      m_messages(messages), m_schedule(m_addresses.size(), ServedPages().size(), Asked(every), Clock::now()),
      m_toldSilent(m_addresses.size(), false)
{
    // The ratios change only when someone sets the meter: reading them before every reading would
    // spend about a sixth of a busy line's time on them.
    m_link.KeepRatiosFor(Asked(every).slow);
    m_next.setSingleShot(true);
    QObject::connect(&m_next, &QTimer::timeout, [this] { ReadNext(); });
    QObject::connect(&m_stopCheck, &QTimer::timeout, [this] { StopWhenAsked(); });
    SetLineObserver([this](const LineEvent& event) { CountExchange(event); });
}

CMeterPoller::~CMeterPoller()
{
    SetLineObserver({});
}

void CMeterPoller::Run(std::function<bool()> stopAsked)
{
    m_stopAsked = std::move(stopAsked);
    m_stopCheck.start(100);
    Arm();
    m_loop.exec();
    LineWait::SetClosing(false);
}

void CMeterPoller::Arm()
{
    const Clock::time_point now = Clock::now();
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_schedule.DueAt(m_schedule.Next(now)) - now);
    m_next.start(std::max<std::chrono::milliseconds>(wait, {}));
}

void CMeterPoller::ReadNext()
{
    const Clock::time_point started = Clock::now();
    const ReadingSchedule::Slot slot = m_schedule.Next(started);
    const int address = m_addresses[slot.meter];
    const QString page = QString::fromLatin1(ServedPages()[slot.page]);
    bool cameBack = false;
    const bool answered = Read(address, page, cameBack);
    if (Modbus::CalledOff())
        return;
    // A meter that answers again has all its pages read anew, but the one just read.
    if (cameBack)
        m_schedule.AllDue(slot.meter, Clock::now());
    m_schedule.Done(slot, started, Clock::now());
    Tell(slot.meter, answered);
    TellPace();
    Arm();
}

bool CMeterPoller::Read(int address, const QString& page, bool& cameBack)
{
    m_link.SelectMeter(address);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (page != QLatin1String(kCheckPage)) {
        const PageReading reading = FindPageReader(page)->Read(m_link, {});
        cameBack = !Modbus::CalledOff() && m_metrics.Record(address, page, reading, now);
        return reading.ok;
    }
    CheckInput input;
    QString what;
    const bool read = ReadCheckInput(
        [this](const PageReads::Request& request) { return m_link.Read(request); }, input, what);
    if (Modbus::CalledOff())
        return read;
    cameBack = m_metrics.RecordCheck(
        address, read ? std::optional(Diagnosis::Check(input, m_declared)) : std::nullopt, now);
    return read;
}

// Each request that went on the line, judged from its bytes; the address is the request's own.
void CMeterPoller::CountExchange(const LineEvent& event)
{
    if (event.kind != LineEvent::Exchange || event.request.empty())
        return;
    const ExchangeVerdict verdict = JudgeReply(event.request.data(), static_cast<int>(event.request.size()),
                                               event.reply.data(), static_cast<int>(event.reply.size()));
    m_metrics.CountExchange(event.request[0], verdict.kind);
    m_metrics.CountLineTime(WireTime(event.request.size() + event.reply.size(), m_link.Settings()));
}

void CMeterPoller::Tell(std::size_t meter, bool answered)
{
    if (answered == !m_toldSilent[meter])
        return;
    m_toldSilent[meter] = !answered;
    if (answered)
        m_messages << "vemo400-cli: address " << m_addresses[meter] << " answers\n";
    else
        m_messages << "vemo400-cli: " << m_link.Where() << ": " << m_link.Failure() << '\n';
    m_messages.flush();
}

void CMeterPoller::TellPace()
{
    const std::optional<ReadingSchedule::Intervals> kept = m_schedule.Kept();
    if (m_toldPace || !kept)
        return;
    const ReadingSchedule::Intervals asked = m_schedule.Asked();
    if (!Exceeds(kept->realtime, asked.realtime) && !Exceeds(kept->slow, asked.slow))
        return;
    m_toldPace = true;
    m_messages << "vemo400-cli: the line cannot read " << m_addresses.size()
               << (m_addresses.size() == 1 ? " meter" : " meters")
               << " as often as asked; it keeps the realtime page every " << SecondsText(kept->realtime)
               << " s and the other pages every " << SecondsText(kept->slow) << " s\n";
    m_messages.flush();
}

void CMeterPoller::StopWhenAsked()
{
    if (!m_stopAsked())
        return;
    m_stopCheck.stop();
    m_next.stop();
    LineWait::SetClosing(true);
    m_loop.quit();
}
