#include "report/ReportJson.h"

#include "diagnosis/CheckJson.h"
#include "meter/TimeTexts.h"
#include "reading/TextTable.h"
#include "report/Report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QJsonValue TextOrNull(const QString& text, bool present)
{
    return present ? QJsonValue(text) : QJsonValue(QJsonValue::Null);
}

// A value that the window shows as a number is carried as one, without the display's padding.
QJsonValue ValueOrNull(const QString& text, bool present)
{
    return present ? JsonCell(text) : QJsonValue(QJsonValue::Null);
}

// Local time with its offset from UTC: "2026-12-08T10:15:00+01:00".
QString IsoTime(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

QJsonObject Line(const Report& report)
{
    return {{"port", report.port},
            {"address", report.line.address},
            {"baud", static_cast<int>(report.line.baud)},
            {"parity", ParityName(report.line.parity)}};
}

QJsonObject Clock(const Report& report)
{
    const std::optional<qint64> difference = report.ClockDifference();
    QJsonObject clock{
        {"meter", TextOrNull(report.meterClock ? TimeTexts::MeterClockText(*report.meterClock) : QString(),
                             report.meterClock.has_value())},
        {"computer", IsoTime(report.computerClock)},
        {"differenceSeconds", difference ? QJsonValue(*difference) : QJsonValue(QJsonValue::Null)},
    };
    if (!report.meterClock)
        clock.insert("missing", report.clockFailure);
    return clock;
}

QJsonObject Section(const ReportSection& section)
{
    QJsonArray items;
    for (const ReadingItem& item : section.reading.items)
        items.append(QJsonObject{{"item", item.name},
                                 {"value", ValueOrNull(item.value, section.reading.ok)},
                                 {"unit", item.unit}});
    QJsonObject object{
        {"page", section.page}, {"title", section.title}, {"complete", section.reading.ok}, {"items", items}};
    if (!section.channel.isEmpty())
        object.insert("channel", section.channel);
    if (!section.reading.ok)
        object.insert("missing", section.failure);
    return object;
}
} // namespace

QByteArray ReportJson(const Report& report)
{
    QJsonArray sections;
    for (const ReportSection& section : report.sections)
        sections.append(Section(section));
    QJsonObject root{
        {"format", "vemo400-report"},     {"version", kReportFormatVersion},
        {"taken", IsoTime(report.taken)}, {"line", Line(report)},
        {"clock", Clock(report)},         {"missing", QJsonArray::fromStringList(report.Missing())},
        {"sections", sections},
    };
    root.insert("check", report.check ? QJsonValue(Diagnosis::CheckResultJson(*report.check))
                                      : QJsonValue(QJsonObject{{"missing", report.checkFailure}}));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
