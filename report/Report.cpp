#include "report/Report.h"

#include "diagnosis/WiringCheck.h"
#include "meter/HarmonicTable.h"
#include "reading/CheckRead.h"

#include <cstdlib>
#include <utility>

namespace {
struct ReportPage
{
    const char* page;
    const char* title;
};

// The pages in the order they are read and shown, by the labels of their tabs.
constexpr ReportPage kReportPages[] = {
    {"settings", "Meter Set"},
    {"io", "I/O"},
    {"realtime", "Realtime Data"},
    {"common", "Common Data"},
    {"harmonics", "Harmonic"},
    {"demand", "Demand"},
    {"maxmin", "Max/Min Data"},
    {"energy", "Energy"},
    {"soe", "SOE"},
};

ReportSection Section(const ReportPage& page, const QString& channel, PageReading reading,
                      const MeterLink& link)
{
    const QString failure = reading.ok ? QString() : link.Failure();
    return {QString::fromLatin1(page.page), QString::fromLatin1(page.title), channel, std::move(reading),
            failure};
}

// The harmonic page shows one channel at a time from one table: the table is read once for all six.
void ReadHarmonicSections(MeterLink& link, const ReportPage& page, Report& report)
{
    HarmonicValues table{};
    const bool ok = ReadHarmonicTable(link, table);
    for (const HarmonicTable::Channel& channel : HarmonicTable::kChannels)
        report.sections.push_back(
            Section(page, QString::fromLatin1(channel.name), HarmonicReading(channel, table, ok), link));
}

void ReadClock(MeterLink& link, Report& report)
{
    link.SetFailure({});
    report.meterClock = ReadMeterClock(link);
    report.computerClock = QDateTime::currentDateTime();
    if (!report.meterClock)
        report.clockFailure = link.Failure();
}
void ReadCheck(MeterLink& link, const Diagnosis::Declarations& declared, Report& report)
{
    link.SetFailure({});
    CheckInput input;
    QString what;
    if (ReadCheckInput([&link](const PageReads::Request& request) { return link.Read(request); }, input,
                       what))
        report.check = Diagnosis::Check(input, declared);
    else
        report.checkFailure = link.Failure();
}
} // namespace

QString DurationText(qint64 seconds)
{
    constexpr qint64 kMinute = 60;
    constexpr qint64 kHour = 60 * kMinute;
    constexpr qint64 kDay = 24 * kHour;
    QStringList parts;
    for (const auto& [length, unit] : {std::pair{kDay, "d"}, {kHour, "h"}, {kMinute, "min"}})
        if (seconds >= length || !parts.isEmpty()) {
            parts << QStringLiteral("%1 %2").arg(seconds / length).arg(QLatin1String(unit));
            seconds %= length;
        }
    parts << QStringLiteral("%1 s").arg(seconds);
    return parts.join(QLatin1Char(' '));
}

std::optional<qint64> Report::ClockDifference() const
{
    if (!meterClock)
        return std::nullopt;
    const MeterClock& c = *meterClock;
    // The meter keeps this computer's local time, as the clock sync sets it.
    const QDateTime meter(QDate(c[0] + 2000, c[1], c[2]), QTime(c[3], c[4], c[5]));
    if (!meter.isValid())
        return std::nullopt;
    return computerClock.secsTo(meter);
}

QString Report::ClockDifferenceText() const
{
    const std::optional<qint64> seconds = ClockDifference();
    if (!seconds)
        return {};
    if (*seconds == 0)
        return QStringLiteral("the meter agrees with this computer");
    return QStringLiteral("the meter is %1 %2 this computer")
        .arg(DurationText(std::abs(*seconds)),
             *seconds < 0 ? QStringLiteral("behind") : QStringLiteral("ahead of"));
}

QStringList Report::Missing() const
{
    QStringList missing;
    for (const ReportSection& section : sections)
        if (!section.reading.ok)
            missing << section.Heading();
    if (!meterClock)
        missing << QString::fromLatin1(kMeterClockTitle);
    if (!check)
        missing << QString::fromLatin1(kWiringCheckTitle);
    return missing;
}

const ReportSection* Report::Find(const QString& page, const QString& channel) const
{
    for (const ReportSection& section : sections)
        if (section.page == page && section.channel == channel)
            return &section;
    return nullptr;
}

Report ReadReport(MeterLink& link, const Diagnosis::Declarations& declared, const ReportProgress& progress)
{
    const auto reading = [&progress](const char* part) {
        if (progress)
            progress(QString::fromLatin1(part));
    };
    Report report;
    report.taken = QDateTime::currentDateTime();
    report.line = link.Settings();
    report.port = link.PortText();
    for (const ReportPage& page : kReportPages) {
        reading(page.title);
        link.SetFailure({});
        if (QLatin1String(page.page) == QLatin1String("harmonics")) {
            ReadHarmonicSections(link, page, report);
            continue;
        }
        const PageReader* reader = FindPageReader(QString::fromLatin1(page.page));
        report.sections.push_back(Section(page, {}, reader->Read(link, {}), link));
    }
    reading(kMeterClockTitle);
    ReadClock(link, report);
    reading(kWiringCheckTitle);
    ReadCheck(link, declared, report);
    return report;
}
