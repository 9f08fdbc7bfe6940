#include "cli/Cli.h"

#include "cli/Command.h"
#include "comm/Line.h"
#include "diagnosis/Finding.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <array>

namespace {
const char* const kUsage = R"(Usage: vemo400-cli [options] COMMAND

Talks to one VEMO400 meter over a serial line (Modbus RTU).

Commands:
  scan [--addresses A-B] [--bauds LIST] [--parities LIST]
                      find meters on the line
  read PAGE           one reading of a page: realtime, common, harmonics
                      (--channel Ia|Ib|Ic|Ua|Ub|Uc), demand, maxmin, energy,
                      soe, settings, io
  log PAGE --every SECONDS [--for DURATION] [--addresses LIST] --out FILE.csv
                      one CSV row per meter and reading until the time is
                      up or Ctrl+C
  settings save FILE.json
  settings load FILE.json [--dry-run] [--yes] [--move [--gateway-rate-changed]]
                      back up the meter settings and relay alarms, or put a
                      backup on a meter (validated, shown, confirmed, verified);
                      the meter keeps its address and rate unless --move
  clock show          the meter's clock
  clock sync          set the meter's clock from this computer's
  check [--nominal VOLTS] [--flow import|export|both] [--load inductive|capacitive]
                      is the meter connected and set up right: its CTs and
                      PTs, ratios, wiring mode and supply, one line per check
  report --out FILE.html|--pdf FILE.pdf [--json FILE.json] [check's declarations]
                      read every page once and write a commissioning report with
                      charts and the wiring check, as HTML, as PDF for A4 or
                      both; pages that fail are named as missing
)"
                           R"(  serve [--addresses LIST] [--every SECONDS] [--listen ADDRESS:PORT]
        [--web-config FILE]
                      read the meters on the line over and over and serve
                      their latest values on /metrics for Prometheus;
                      127.0.0.1:9400 by default, until Ctrl+C or SIGTERM;
                      TLS and basic authentication from the web config
)"
#ifdef VEMO_WITHOUT_SERVE
                           R"(                      (not in this build: it needs Qt's HTTP server module)
)"
#endif
                           R"(
Exit status: 0 success, 1 the meter did not answer (or the port would not
open, or serve's address was taken), 2 bad usage or bad input, 3 check found a
fault, 4 settings load wrote some blocks but not all, 5 a file could not be
written.
)";

// Options that only some commands take.
struct CommandOption
{
    const char* option;
    const char* commands; // separated by blanks
};
constexpr std::array<CommandOption, 18> kCommandOptions{{
    {"addresses", "scan log serve"},
    {"bauds", "scan"},
    {"parities", "scan"},
    {"every", "log serve"},
    {"listen", "serve"},
    {"web-config", "serve"},
    {"for", "log"},
    {"out", "log report"},
    {"json", "report"},
    {"pdf", "report"},
    {"dry-run", "settings"},
    {"yes", "settings"},
    {"move", "settings"},
    {"gateway-rate-changed", "settings"},
    {"channel", "read log"},
    {"nominal", "check report serve"},
    {"flow", "check report serve"},
    {"load", "check report serve"},
}};

void AddOptions(QCommandLineParser& parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {"port", "COMn (mapped as the window maps it) or a device path; COM1 by default.", "port", "COM1"},
        {"baud", "4800, 9600, 19200 or 38400; 9600 by default.", "rate", "9600"},
        {"parity", "none, odd or even; none by default.", "parity", "none"},
        {"address", "The meter's address, 1 to 247; 1 by default.", "n", "1"},
        {"timeout", "The longest wait for each reply in milliseconds, instead of the page's.", "ms"},
        {"pause", "Idle time in milliseconds before each request, for meters that need it; 0 by default.",
         "ms"},
        {"rs485", "Put the port into RS-485 mode (the driver raises RTS while sending)."},
        {"format", "table, csv or json; table by default.", "format", "table"},
        {"addresses",
         "scan: the addresses to try, A-B; 1-247 by default. log, serve: the meters to read, as 1,2,5-7.",
         "list"},
        {"bauds", "scan: the rates to try; all four by default.", "list"},
        {"parities", "scan: the parities to try; the --parity one by default.", "list"},
        {"channel", "read/log harmonics: Ia, Ib, Ic, Ua, Ub or Uc; Ia by default.", "channel", "Ia"},
        {"every",
         "log: seconds between readings (0.1 or more). serve: seconds between realtime readings, 5 by "
         "default; energy, demand and max/min ten times less often.",
         "seconds"},
        {"listen", "serve: the address and port of the HTTP server; 127.0.0.1:9400 by default.", "address"},
        {"web-config",
         "serve: a YAML file with tls_server_config (cert_file, key_file) and basic_auth_users (user: bcrypt "
         "hash), as Prometheus exporters read it.",
         "file"},
        {"for", "log: how long to log, as 90, 90s, 15m, 2h or 1d; until Ctrl+C by default.", "duration"},
        {"out", "log: the CSV file; rows are added to a file with the same columns. report: the HTML file.",
         "file"},
        {"json", "report: also write the report as JSON to this file.", "file"},
        {"pdf", "report: write the report as PDF for A4 to this file.", "file"},
        {"dry-run", "settings load: validate and show the differences, write nothing."},
        {"yes", "settings load: write without asking."},
        {"move", "settings load: also give the meter the file's address and rate, and follow it there."},
        {"gateway-rate-changed",
         "settings load --move over a gateway: the gateway's serial side was set to the file's rate too."},
        {"nominal",
         "check: the nominal phase-to-neutral voltage in volts on the primary side; by default the "
         "standard voltage nearest the measured one.",
         "volts"},
        {"flow", "check, report: import (the default), export or both: the way power is meant to flow.",
         "flow"},
        {"load", "check, report: inductive (the default) or capacitive: what the load mostly is.", "load"},
        {{"h", "help"}, "Show this help."},
    });
}

// The option that the command does not take, if any.
QString ForeignOption(const QCommandLineParser& parser, const QString& command)
{
    for (const CommandOption& entry : kCommandOptions)
        if (parser.isSet(QString::fromLatin1(entry.option)) &&
            !QString::fromLatin1(entry.commands).split(' ').contains(command))
            return QString::fromLatin1(entry.option);
    return {};
}

// Checks the common options into the line settings; the first bad one is reported.
QString TakeLineSettings(const QCommandLineParser& parser, LineSettings& line, OutputFormat& format)
{
    line.port = parser.value("port");
    const std::optional<unsigned> baud = BaudRate(parser.value("baud"));
    if (!baud)
        return QStringLiteral("--baud must be 4800, 9600, 19200 or 38400");
    line.baud = *baud;
    const std::optional<int> parity = ParityNamed(parser.value("parity"));
    if (!parity)
        return QStringLiteral("--parity must be none, odd or even");
    line.parity = *parity;
    const std::optional<long long> address = WholeNumber(parser.value("address"), kMinAddress, kMaxAddress);
    if (!address)
        return QStringLiteral("--address must be a whole number from 1 to 247");
    line.address = static_cast<int>(*address);
    if (parser.isSet("timeout")) {
        const std::optional<long long> timeout = WholeNumber(parser.value("timeout"), 1, 60000);
        if (!timeout)
            return QStringLiteral("--timeout must be a whole number of milliseconds from 1 to 60000");
        line.timeoutMs = static_cast<int>(*timeout);
    }
    if (parser.isSet("pause")) {
        const std::optional<long long> pause = WholeNumber(parser.value("pause"), 0, 60000);
        if (!pause)
            return QStringLiteral("--pause must be a whole number of milliseconds from 0 to 60000");
        line.pauseMs = static_cast<int>(*pause);
    }
    line.rs485 = parser.isSet("rs485");
    const std::optional<OutputFormat> named = OutputFormatNamed(parser.value("format"));
    if (!named)
        return QStringLiteral("--format must be table, csv or json");
    format = *named;
    return {};
}
} // namespace

int Command::Failed(const MeterLink& link) const
{
    io.err << "vemo400-cli: " << link.Where() << ": " << link.Failure() << '\n';
    io.err.flush();
    return kExitNoAnswer;
}

int Command::BadUsage(const QString& why) const
{
    io.err << "vemo400-cli: " << why << '\n';
    io.err.flush();
    return kExitBadUsage;
}

int Command::FileNotWritten(const QString& why) const
{
    BadUsage(why);
    return kExitFileNotWritten;
}

bool Command::Open(MeterLink& link) const
{
    if (link.Open())
        return true;
    Failed(link);
    return false;
}

std::optional<long long> WholeNumber(const QString& text, long long min, long long max)
{
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<unsigned> BaudRate(const QString& text)
{
    for (unsigned rate : {4800u, 9600u, 19200u, 38400u})
        if (text.trimmed() == QString::number(rate))
            return rate;
    return std::nullopt;
}

std::optional<std::chrono::milliseconds> IntervalSeconds(const QString& text)
{
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok);
    if (!ok || !(seconds >= 0.1 && seconds <= 86400))
        return std::nullopt;
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

QString TakeDeclarations(const Command& command, Diagnosis::Declarations& declared)
{
    using Diagnosis::Flow;
    using Diagnosis::Load;
    if (command.options.isSet("nominal")) {
        bool ok = false;
        const double volts = command.options.value("nominal").toDouble(&ok);
        if (!ok || !(volts >= 1.0 && volts <= 1e6))
            return QStringLiteral(
                "--nominal must be the phase-to-neutral voltage in volts, from 1 to 1000000");
        declared.nominalPhaseVoltage = volts;
    }
    const QString flow = command.options.value("flow");
    if (flow == QLatin1String("export"))
        declared.flow = Flow::Export;
    else if (flow == QLatin1String("both"))
        declared.flow = Flow::Both;
    else if (command.options.isSet("flow") && flow != QLatin1String("import"))
        return QStringLiteral("--flow must be import, export or both");
    const QString load = command.options.value("load");
    if (load == QLatin1String("capacitive"))
        declared.load = Load::Capacitive;
    else if (command.options.isSet("load") && load != QLatin1String("inductive"))
        return QStringLiteral("--load must be inductive or capacitive");
    return {};
}

std::optional<int> ParityNamed(const QString& text)
{
    for (int parity = 0; parity < 3; ++parity)
        if (text.trimmed() == ParityName(parity))
            return parity;
    return std::nullopt;
}

bool CommandDrawsText(const QStringList& arguments)
{
    QCommandLineParser parser;
    AddOptions(parser);
    return parser.parse(arguments) && parser.positionalArguments().value(0) == QLatin1String("report");
}

int RunCli(const QStringList& arguments, ConsoleStreams& io)
{
    QCommandLineParser parser;
    AddOptions(parser);
    parser.addPositionalArgument("command",
                                 "scan, read, log, settings, clock, check, report or serve, and its words.");
    const QString program = QStringLiteral("vemo400-cli: ");
    if (!parser.parse(arguments)) {
        io.err << program << parser.errorText() << " (see vemo400-cli --help)\n";
        return kExitBadUsage;
    }
    if (parser.isSet("help")) {
        io.out << kUsage << '\n' << parser.helpText().section('\n', 2);
        return kExitSuccess;
    }
    QStringList words = parser.positionalArguments();
    Command command{{}, parser, {}, OutputFormat::Table, io};
    if (words.isEmpty())
        return command.BadUsage(QStringLiteral("no command given; vemo400-cli --help lists them"));
    const QString name = words.takeFirst();
    if (const QString foreign = ForeignOption(parser, name); !foreign.isEmpty())
        return command.BadUsage(QStringLiteral("%1 does not take --%2").arg(name, foreign));
    if (const QString bad = TakeLineSettings(parser, command.line, command.format); !bad.isEmpty())
        return command.BadUsage(bad);
    command.words = words;
    using Runner = int (*)(const Command&);
    const std::pair<const char*, Runner> commands[] = {
        {"scan", RunScan},   {"read", RunRead},     {"log", RunLog},     {"settings", RunSettings},
        {"clock", RunClock}, {"report", RunReport}, {"serve", RunServe}, {"check", RunCheck}};
    for (const auto& [commandName, run] : commands)
        if (name == QLatin1String(commandName)) {
            const int status = run(command);
            // Let go of the line while Qt still runs, not in the port's destructor at exit.
            CloseLine();
            return status;
        }
    return command.BadUsage(QStringLiteral("no command \"%1\"").arg(name));
}
