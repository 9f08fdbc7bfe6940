#include "cli/AddressList.h"
#include "cli/Command.h"
#include "cli/DurableFile.h"
#include "cli/StopRequest.h"
#include "reading/PageReaders.h"

#include <QDateTime>
#include <QRegularExpression>
#include <chrono>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

// A meter's transformer ratios change only when someone sets it: a log of several meters, which the
// line may barely carry, reads them about every tenth reading of a meter, as serve reads them with its
// slow pages.
constexpr int kReadingsPerRatioRead = 10;

// The CSV file of a log: each row is forced to the disk before the next reading. A row cut
// short (a full disk, a power cut) is ended before rows are added, and a file rotated or
// removed underneath is made again, so that no row is ever glued to another or lost unseen.
class LogFile
{
public:
    explicit LogFile(QTextStream& err) : m_err(err) {}

    enum class Opened
    {
        Yes,
        OtherLog, // the file holds rows of other columns
        Failed    // the system refused; why says its reason
    };

    // Opens the file to add rows; a new or empty file gets the heading line,
    // a file that has rows must have the same heading.
    Opened Open(const QString& path, const QString& heading, QString& why)
    {
        m_path = path;
        m_heading = heading.toUtf8();
        if (!m_file.Open(path, why))
            return Opened::Failed;
        const QByteArray first = m_file.Head(m_heading.size());
        if (first.isEmpty())
            return m_file.Append(m_heading, why) ? Opened::Yes : Opened::Failed;
        if (first != m_heading) {
            why = QStringLiteral("it holds another log (its first line differs)");
            return Opened::OtherLog;
        }
        if (m_file.LastByte() == '\n')
            return Opened::Yes;
        m_err << "vemo400-cli: " << path << " ends in a row cut short; it is ended before rows are added\n";
        m_err.flush();
        return m_file.Append("\n", why) ? Opened::Yes : Opened::Failed;
    }

    bool Append(const QString& line, QString& why)
    {
        if (!m_file.StillAtPath()) {
            m_err << "vemo400-cli: " << m_path << " was moved or removed; rows go to a new " << m_path
                  << '\n';
            m_err.flush();
            if (Open(m_path, QString::fromUtf8(m_heading), why) != Opened::Yes)
                return false;
        }
        return m_file.Append(line.toUtf8(), why);
    }

private:
    QTextStream& m_err;
    DurableFile m_file;
    QString m_path;
    QByteArray m_heading;
};

// "90", "90s", "15m", "2h" or "1d" in milliseconds; nothing for any other text.
std::optional<long long> DurationMs(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})([smhd]?)$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2);
    const long long seconds = unit == QLatin1String("m")   ? 60
                              : unit == QLatin1String("h") ? 3600
                              : unit == QLatin1String("d") ? 86400
                                                           : 1;
    return match.captured(1).toLongLong() * seconds * 1000;
}

// A log of several meters (--addresses) has the address after the time.
QString Heading(const PageReading& reading, bool addressColumn)
{
    QStringList columns{QStringLiteral("time")};
    if (addressColumn)
        columns << QStringLiteral("address");
    columns << QStringLiteral("status");
    for (const ReadingItem& item : reading.items)
        columns << (item.unit.trimmed().isEmpty() ? item.name : item.name + " (" + item.unit.trimmed() + ')');
    return CsvLine(columns);
}

QString Row(const QDateTime& time, std::optional<int> address, const PageReading& reading)
{
    QStringList fields{time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs)};
    if (address)
        fields << QString::number(*address);
    fields << (reading.ok ? QStringLiteral("ok") : QStringLiteral("no answer"));
    for (const ReadingItem& item : reading.items)
        fields << DataCell(item.value);
    return CsvLine(fields);
}

// Sleeps until the time given, or until a stop is asked for.
void SleepUntil(Clock::time_point until)
{
    while (!StopRequest::Asked() && Clock::now() < until)
        std::this_thread::sleep_for(
            std::min<Clock::duration>(std::chrono::milliseconds(50), until - Clock::now()));
}

struct LogPlan
{
    const PageReader* reader = nullptr;
    ReadOptions options;
    Clock::duration every{};
    std::optional<Clock::duration> duration;
    QString path;
    std::vector<int> addresses;
    bool addressColumn = false;
};

QString TakePlan(const Command& command, LogPlan& plan)
{
    if (command.words.size() != 1)
        return QStringLiteral("log takes one page: ") + PageNames();
    plan.reader = FindPageReader(command.words[0]);
    if (!plan.reader)
        return QStringLiteral("no page \"%1\"; the pages are ").arg(command.words[0]) + PageNames();
    if (const QString bad = TakeReadOptions(command, command.words[0], plan.options); !bad.isEmpty())
        return bad;
    const std::optional<std::chrono::milliseconds> every = IntervalSeconds(command.options.value("every"));
    if (!command.options.isSet("every") || !every)
        return QStringLiteral("log needs --every SECONDS, from 0.1 to 86400");
    plan.every = *every;
    if (command.options.isSet("for")) {
        const std::optional<long long> ms = DurationMs(command.options.value("for"));
        if (!ms)
            return QStringLiteral("--for must be a duration such as 90, 90s, 15m, 2h or 1d");
        plan.duration = std::chrono::milliseconds(*ms);
    }
    if (const QString bad = TakeAddresses(command, plan.addresses); !bad.isEmpty())
        return bad;
    plan.addressColumn = command.options.isSet("addresses");
    plan.path = command.options.value("out");
    if (plan.path.isEmpty())
        return QStringLiteral("log needs --out FILE.csv");
    return {};
}
} // namespace

// A failed reading writes a row that says so, and the log goes on; with several
// meters each reading of the page reads them one after the other.
int RunLog(const Command& command)
{
    LogPlan plan;
    if (const QString bad = TakePlan(command, plan); !bad.isEmpty())
        return command.BadUsage(bad);
    MeterLink link(command.line);
    if (!command.Open(link))
        return kExitNoAnswer;
    if (plan.addresses.size() > 1)
        link.KeepRatiosFor(plan.every * kReadingsPerRatioRead);
    const StopRequest stopRequest;
    const Clock::time_point start = Clock::now();
    Clock::time_point next = start;
    LogFile file(command.io.err);
    long rows = 0;
    long answered = 0;
    QString why;
    while (!StopRequest::Asked() && (!plan.duration || Clock::now() - start < *plan.duration)) {
        for (const int address : plan.addresses) {
            link.SelectMeter(address);
            const QDateTime time = QDateTime::currentDateTime();
            const PageReading reading = plan.reader->Read(link, plan.options);
            if (rows == 0)
                if (const LogFile::Opened opened =
                        file.Open(plan.path, Heading(reading, plan.addressColumn), why);
                    opened != LogFile::Opened::Yes) {
                    const QString message = QStringLiteral("cannot log to %1: %2").arg(plan.path, why);
                    return opened == LogFile::Opened::OtherLog ? command.BadUsage(message)
                                                               : command.FileNotWritten(message);
                }
            const std::optional<int> addressCell = plan.addressColumn ? std::optional(address) : std::nullopt;
            if (!file.Append(Row(time, addressCell, reading), why))
                return command.FileNotWritten(QStringLiteral("cannot write %1: %2").arg(plan.path, why));
            ++rows;
            if (reading.ok)
                ++answered;
            else
                command.Failed(link);
        }
        next = std::max(next + plan.every, Clock::now());
        SleepUntil(plan.duration ? std::min(next, start + *plan.duration) : next);
    }
    command.io.err << "vemo400-cli: " << rows << " rows logged to " << plan.path << ", " << answered
                   << " with an answer\n";
    return rows > 0 && answered == 0 ? kExitNoAnswer : kExitSuccess;
}
