#include "cli/AddressList.h"
#include "cli/Command.h"
#include "cli/StopRequest.h"
#include "diagnosis/Finding.h"
#include "exporter/MeterMetrics.h"
#include "exporter/MeterPoller.h"
#include "exporter/MetricsServer.h"
#include "exporter/WebConfig.h"

namespace {
using Clock = CMeterPoller::Clock;

constexpr int kDefaultPort = 9400;

struct ServePlan
{
    std::vector<int> addresses;
    Clock::duration every = std::chrono::seconds(5);
    QHostAddress host{QHostAddress::LocalHost};
    quint16 port = kDefaultPort;
    WebConfig web;
    Diagnosis::Declarations declared;
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
        const std::optional<std::chrono::milliseconds> every =
            IntervalSeconds(command.options.value("every"));
        if (!every)
            return QStringLiteral("--every must be seconds from 0.1 to 86400");
        plan.every = *every;
    }
    if (command.options.isSet("listen"))
        if (const QString bad = TakeListen(command.options.value("listen"), plan); !bad.isEmpty())
            return bad;
    if (command.options.isSet("web-config"))
        if (const QString bad = LoadWebConfig(command.options.value("web-config"), plan.web); !bad.isEmpty())
            return bad;
    if (const QString bad = TakeDeclarations(command, plan.declared); !bad.isEmpty())
        return bad;
    return TakeAddresses(command, plan.addresses);
}

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
    CMeterPoller poller(link, plan.addresses, plan.every, plan.declared, metrics, command.io.err);
    const StopRequest stopRequest;
    poller.Run(&StopRequest::Asked);
    command.io.err << "vemo400-cli: stopped\n";
    return kExitSuccess;
}
