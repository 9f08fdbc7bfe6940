#include "cli/AddressList.h"
#include "cli/Command.h"
#include "cli/MeterMetrics.h"
#include "cli/MetricsServer.h"
#include "cli/PageReaders.h"
#include "cli/ReadingSchedule.h"
#include "cli/StopRequest.h"
#include "cli/WebConfig.h"
#include "comm/LineObserver.h"
#include "comm/LineWait.h"
#include "comm/Transaction.h"

#include <QEventLoop>
#include <QTimer>

namespace {
using Clock = ReadingSchedule::Clock;

// The energy counters, demands and records change slowly: they are read this many times less often.
constexpr int kSlowPageFactor = 10;
constexpr int kDefaultPort = 9400;

struct ServePlan
{
    std::vector<int> addresses;
    Clock::duration every = std::chrono::seconds(5);
    QHostAddress host{QHostAddress::LocalHost};
    quint16 port = kDefaultPort;
    WebConfig web;
};

// Splits "ADDRESS:PORT", ":PORT", "ADDRESS" or "[IPv6]:PORT" into the address and the port's text
// (empty when none); false when the text is none of these.
bool SplitListen(const QString& text, QString& host, QString& port)
{
    if (!text.startsWith(QLatin1Char('['))) {
        const bool withPort = text.count(QLatin1Char(':')) == 1; // more colons: an IPv6 address alone
        host = withPort ? text.section(QLatin1Char(':'), 0, 0) : text;
        port = withPort ? text.section(QLatin1Char(':'), 1) : QString();
        return !withPort || !port.isEmpty();
    }
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    const QString rest = text.mid(close + 1);
    host = text.mid(1, close - 1);
    port = rest.mid(1);
    return close > 0 && (rest.isEmpty() || (rest.startsWith(QLatin1Char(':')) && !port.isEmpty()));
}

QString TakeListen(const QString& text, ServePlan& plan)
{
    const QString bad = QStringLiteral("--listen must be ADDRESS:PORT, such as 127.0.0.1:9400");
    QString host;
    QString port;
    if (!SplitListen(text, host, port))
        return bad;
    if (!port.isEmpty()) {
        const std::optional<long long> number = WholeNumber(port, 0, 65535);
        if (!number)
            return bad;
        plan.port = static_cast<quint16>(*number);
    }
    if (!host.isEmpty() && !plan.host.setAddress(host))
        return bad;
    return {};
}

QString TakePlan(const Command& command, ServePlan& plan)
{
    if (!command.words.isEmpty())
        return QStringLiteral("serve takes no words, only options");
    if (command.options.isSet("every")) {
        bool ok = false;
        const double seconds = command.options.value("every").toDouble(&ok);
        if (!ok || seconds < 0.1 || seconds > 86400)
            return QStringLiteral("--every must be seconds from 0.1 to 86400");
        plan.every = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    }
    if (command.options.isSet("listen"))
        if (const QString bad = TakeListen(command.options.value("listen"), plan); !bad.isEmpty())
            return bad;
    if (command.options.isSet("web-config"))
        if (const QString bad = LoadWebConfig(command.options.value("web-config"), plan.web); !bad.isEmpty())
            return bad;
    return TakeAddresses(command, plan.addresses);
}

// Reads the meters' pages one at a time as they fall due, between the HTTP
// server's answers; a reading's wait runs the event loop, so the server
// answers meanwhile too.
class ServeLoop
{
public:
    ServeLoop(const Command& command, const ServePlan& plan, MeterLink& link, MeterMetrics& metrics)
        : m_command(command), m_plan(plan), m_link(link), m_metrics(metrics),
          m_schedule(plan.addresses.size(), Intervals(plan.every), Clock::now()),
          m_toldSilent(plan.addresses.size(), false)
    {
        m_next.setSingleShot(true);
        QObject::connect(&m_next, &QTimer::timeout, [this] { ReadNext(); });
        QObject::connect(&m_stopCheck, &QTimer::timeout, [this] { StopWhenAsked(); });
        SetLineObserver([this](const LineEvent& event) { CountExchange(event); });
    }
    ~ServeLoop() { SetLineObserver({}); }
    ServeLoop(const ServeLoop&) = delete;
    ServeLoop& operator=(const ServeLoop&) = delete;

    // Runs until Ctrl+C or SIGTERM; the reading in progress ends at once.
    void Run()
    {
        const StopRequest stopRequest;
        m_stopCheck.start(100);
        Arm();
        m_loop.exec();
        LineWait::SetClosing(false);
    }

private:
    static std::vector<Clock::duration> Intervals(Clock::duration every)
    {
        std::vector<Clock::duration> intervals;
        for (const char* page : ServedPages())
            intervals.push_back(page == std::string_view("realtime") ? every : every * kSlowPageFactor);
        return intervals;
    }

    void Arm()
    {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            m_schedule.DueAt(m_schedule.Next()) - Clock::now());
        m_next.start(std::max<std::chrono::milliseconds>(wait, {}));
    }

    void ReadNext()
    {
        const ReadingSchedule::Slot slot = m_schedule.Next();
        const int address = m_plan.addresses[slot.meter];
        const QString page = QString::fromLatin1(ServedPages()[slot.page]);
        m_link.SelectMeter(address);
        const PageReading reading = FindPageReader(page)->Read(m_link, {});
        if (Modbus::CalledOff())
            return;
        const bool cameBack = m_metrics.Record(address, page, reading, QDateTime::currentDateTimeUtc());
        m_schedule.Done(slot, Clock::now());
        if (cameBack)
            m_schedule.AllDue(slot.meter, Clock::now());
        Tell(slot.meter, reading.ok);
        Arm();
    }

    // Each request that went on the line, judged from its bytes; the address is the request's own.
    void CountExchange(const LineEvent& event)
    {
        if (event.kind != LineEvent::Exchange || event.request.empty())
            return;
        const ExchangeVerdict verdict =
            JudgeReply(event.request.data(), static_cast<int>(event.request.size()), event.reply.data(),
                       static_cast<int>(event.reply.size()));
        m_metrics.CountExchange(event.request[0], verdict.kind);
    }

    // Says on standard error when a meter answers and when it stops, once each time.
    void Tell(std::size_t meter, bool answered)
    {
        if (answered == !m_toldSilent[meter])
            return;
        m_toldSilent[meter] = !answered;
        if (answered)
            m_command.io.err << "vemo400-cli: address " << m_plan.addresses[meter] << " answers\n";
        else
            m_command.io.err << "vemo400-cli: " << m_link.Where() << ": " << m_link.Failure() << '\n';
        m_command.io.err.flush();
    }

    void StopWhenAsked()
    {
        if (!StopRequest::Asked())
            return;
        m_stopCheck.stop();
        m_next.stop();
        LineWait::SetClosing(true);
        m_loop.quit();
    }

    const Command& m_command;
    const ServePlan& m_plan;
    MeterLink& m_link;
    MeterMetrics& m_metrics;
    ReadingSchedule m_schedule;
    std::vector<bool> m_toldSilent; // by meter: its failure was told and it has not answered since
    QEventLoop m_loop;
    QTimer m_next;
    QTimer m_stopCheck;
};
} // namespace

// Serves the latest readings of the meters on one line until stopped.
int RunServe(const Command& command)
{
    ServePlan plan;
    if (const QString bad = TakePlan(command, plan); !bad.isEmpty())
        return command.BadUsage(bad);
    MeterLink link(command.line);
    if (!command.Open(link))
        return kExitNoAnswer;
    MeterMetrics metrics(plan.addresses);
    MetricsServer server(metrics, link.PortText(), plan.web);
    const quint16 port = server.Listen(plan.host, plan.port);
    const QString host = plan.host.protocol() == QAbstractSocket::IPv6Protocol
                             ? '[' + plan.host.toString() + ']'
                             : plan.host.toString();
    if (port == 0) {
        command.io.err << "vemo400-cli: cannot listen on " << host << ':' << plan.port << '\n';
        command.io.err.flush();
        return kExitNoAnswer;
    }
    command.io.err << "vemo400-cli: serving " << (plan.web.tls ? "https://" : "http://") << host << ':'
                   << port << "/metrics for " << plan.addresses.size()
                   << (plan.addresses.size() == 1 ? " meter" : " meters") << " on " << link.PortText()
                   << '\n';
    command.io.err.flush();
    ServeLoop loop(command, plan, link, metrics);
    loop.Run();
    command.io.err << "vemo400-cli: stopped\n";
    return kExitSuccess;
}
