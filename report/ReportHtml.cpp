#include "report/ReportHtml.h"

#include "meter/HarmonicTable.h"
#include "meter/TimeTexts.h"
#include "report/CheckHtml.h"
#include "report/PhasorChart.h"
#include "report/Report.h"
#include "report/ReportCharts.h"

#include <QStringList>
#include <algorithm>

namespace {
// A4 with 15 mm margins leaves 180 mm of width; a chart fills it, and no chart or table is cut by a page
// break.
const char* const kStyle = R"(
@page { size: A4; margin: 14mm 15mm; }
html { font-family: "%1", sans-serif; font-size: 9pt; color: #202020; }
body { max-width: 180mm; margin: 8mm auto; }
h1 { font-size: 15pt; margin: 0 0 3mm; }
h2 { font-size: 11pt; margin: 5mm 0 1.5mm; padding-bottom: 0.5mm; border-bottom: 0.3mm solid #3c8ca0; }
table { border-collapse: collapse; }
th, td { padding: 0.35mm 1.5mm; text-align: left; vertical-align: top; }
th { font-weight: bold; background: #dcecf0; }
tbody tr:nth-child(even) td { background: #f2f6f7; }
td.value { text-align: right; white-space: pre; font-variant-numeric: tabular-nums; }
td.unit { white-space: nowrap; }
table.wide { width: 100%; }
table.items { width: 100%; }
table.items td.column { padding: 0 5mm 0 0; background: none; }
table.items td.column:last-child { padding-right: 0; }
table.items td.column table { width: 100%; }
.facts th { background: none; padding-left: 0; }
div.figure { margin: 1mm 0 0; }
img.chart { display: block; width: 100%; height: auto; }
td.column img.chart { width: 45mm; }
.caption { font-size: 90%; max-width: 45mm; }
table.checks td { background: none; }
table.checks td:nth-child(2), table.checks td:nth-child(3) { white-space: nowrap; }
section, div.figure, table, h2 { break-inside: avoid; }
h2 { break-after: avoid; }
.page { break-before: page; }
.missing { color: #a01010; font-weight: bold; }
@media screen { .page { margin-top: 10mm; } }
)";

// Colours of phases a, b and c, and of the harmonic bars.
const QColor kPhaseColours[] = {QColor(0xC8, 0x7A, 0x10), QColor(0x3C, 0x8C, 0xA0), QColor(0x70, 0x60, 0xB0)};
const QColor kHarmonicColour(0x3C, 0x8C, 0xA0);

// The sections that begin a new sheet of paper, so that each sheet holds whole sections.
const char* const kSheetStarts[] = {"realtime", "common", "demand", "soe"};

bool IsHarmonic(const ReportSection& section)
{
    return section.page == QLatin1String("harmonics");
}

bool IsSheetStart(const ReportSection& section)
{
    return std::any_of(std::begin(kSheetStarts), std::end(kSheetStarts),
                       [&section](const char* page) { return section.page == QLatin1String(page); });
}

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString Cell(const QString& text, const char* tag = "td")
{
    return QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), Escaped(text));
}

QString ValueCell(const QString& text)
{
    return QStringLiteral("<td class=\"value\">%1</td>").arg(Escaped(text));
}

QString ItemTable(std::span<const ReadingItem> items)
{
    QString html =
        QStringLiteral("<table><thead><tr><th>Item</th><th>Data</th><th>Unit</th></tr></thead><tbody>\n");
    for (const ReadingItem& item : items)
        html += QStringLiteral("<tr>") + Cell(item.name) + ValueCell(item.value) +
                QStringLiteral("<td class=\"unit\">%1</td></tr>\n").arg(Escaped(item.unit));
    return html + QStringLiteral("</tbody></table>\n");
}

// Blocks side by side in the cells of one row, each as wide as its share of the row (equal ones
// when none is given): a browser and Qt's text engine alike lay it out.
QString SideBySide(const QStringList& blocks, const QList<int>& percents = {})
{
    QString html = QStringLiteral("<table class=\"items\"><tr>\n");
    for (qsizetype i = 0; i < blocks.size(); ++i)
        html += QStringLiteral("<td class=\"column\" width=\"%1%\">\n")
                    .arg(i < percents.size() ? percents[i] : 100 / static_cast<int>(blocks.size())) +
                blocks[i] + QStringLiteral("</td>\n");
    return html + QStringLiteral("</tr></table>\n");
}

// The items in side-by-side tables of about equal length, in the page's order down each table.
QString ItemTables(const std::vector<ReadingItem>& items, std::size_t tables)
{
    const std::size_t rows = (items.size() + tables - 1) / tables;
    QStringList columns;
    for (std::size_t first = 0; first < items.size(); first += rows)
        columns << ItemTable(std::span(items).subspan(first, std::min(rows, items.size() - first)));
    return SideBySide(columns);
}

QString SectionStart(const QString& id, const QString& heading, bool sheetStart)
{
    return QStringLiteral("<section id=\"%1\"%2>\n<h2>%3</h2>\n")
        .arg(id, sheetStart ? QStringLiteral(" class=\"page\"") : QString(), Escaped(heading));
}

QString MissingNote(const ReportSection& section)
{
    return QStringLiteral("<p class=\"missing\">Missing: %1.</p>\n").arg(Escaped(section.failure));
}

QString Value(const ReportSection& section, const QString& name)
{
    for (const ReadingItem& item : section.reading.items)
        if (item.name == name)
            return item.value;
    return {};
}

// Voltages, currents and the three powers of each phase, from the realtime page.
QString PhaseFigure(PictureSink& pictures, const ReportSection& realtime)
{
    const auto phases = [&realtime](const char* quantity, int colour) {
        BarSeries series{QString::fromLatin1(quantity), kPhaseColours[colour], {}, {}};
        for (char phase : {'a', 'b', 'c'}) {
            const QString text = Value(realtime, QString::fromLatin1(quantity) + phase);
            series.values.push_back(text.toDouble());
            series.labels << text;
        }
        return series;
    };
    const auto unlabelled = [](BarSeries series) {
        series.labels.clear();
        return series;
    };
    const QStringList categories{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const std::vector<BarChart> charts{
        {QStringLiteral("Phase voltage"), QStringLiteral("V"), categories, {phases("U", 1)}},
        {QStringLiteral("Current"), QStringLiteral("A"), categories, {phases("I", 1)}},
        // Nine numbers do not fit over nine narrow bars; the table below has them.
        {QStringLiteral("Power"),
         QStringLiteral("W, Var, VA"),
         categories,
         {unlabelled(phases("P", 0)), unlabelled(phases("Q", 1)), unlabelled(phases("S", 2))}},
    };
    return QStringLiteral("<div class=\"figure\">\n") +
           ChartsElement(pictures, charts, 680, 250, QStringLiteral("Per phase")) +
           QStringLiteral("\n</div>\n");
}

// Orders 2 to 31 of one channel, its THD and, for a current, its K factor in the title.
QString HarmonicFigure(PictureSink& pictures, const ReportSection& section)
{
    const PageReading& reading = section.reading;
    QString title = QStringLiteral("%1 %2 %").arg(reading.items.front().name, reading.items.front().value);
    // THD, the orders, and last the K factor of a current.
    constexpr std::size_t kThdAndOrders = 1 + HarmonicTable::kLastOrder - HarmonicTable::kFirstOrder + 1;
    if (reading.items.size() > kThdAndOrders)
        title += QStringLiteral("    %1 %2").arg(reading.items.back().name, reading.items.back().value);
    BarChart chart{title, QStringLiteral("%"), {}, {{section.channel, kHarmonicColour, {}, {}}}};
    for (int order = HarmonicTable::kFirstOrder; order <= HarmonicTable::kLastOrder; ++order) {
        chart.categories << QString::number(order);
        chart.series.front().values.push_back(
            reading.items[static_cast<std::size_t>(1 + order - HarmonicTable::kFirstOrder)].value.toDouble());
    }
    return QStringLiteral("<div class=\"figure\">\n") +
           ChartsElement(pictures, {chart}, 680, 270, section.Heading()) + QStringLiteral("\n</div>\n");
}

// Every channel's values side by side: THD, orders 2 to 31 and the K factors.
QString HarmonicValuesTable(const Report& report)
{
    QString html =
        QStringLiteral("<section id=\"harmonic-values\" class=\"page\">\n<h2>Harmonic values</h2>\n"
                       "<table class=\"wide\"><thead><tr><th></th>");
    std::vector<const ReportSection*> channels;
    for (const ReportSection& section : report.sections)
        if (IsHarmonic(section)) {
            channels.push_back(&section);
            html += Cell(section.channel, "th");
        }
    html += QStringLiteral("</tr></thead><tbody>\n");
    const QStringList rows = [] {
        QStringList names{QStringLiteral("THD")};
        for (int order = HarmonicTable::kFirstOrder; order <= HarmonicTable::kLastOrder; ++order)
            names << HarmonicTable::OrderName(HarmonicTable::kChannels[0], order)
                         .section(' ', 1); // "2nd Harmonic"
        return names << QStringLiteral("K");
    }();
    for (qsizetype row = 0; row < rows.size(); ++row) {
        html += QStringLiteral("<tr>") + Cell(rows[row], "th");
        for (const ReportSection* channel : channels) {
            const std::size_t k = static_cast<std::size_t>(row);
            html +=
                ValueCell(k < channel->reading.items.size() ? channel->reading.items[k].value : QString());
        }
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</tbody></table>\n</section>\n");
}

// The records that hold an event, as the SOE page lists them.
QString EventTable(const ReportSection& section)
{
    const std::vector<ReadingItem>& items = section.reading.items;
    QString rows;
    for (std::size_t i = 0; i + 2 < items.size(); i += 3)
        if (!items[i + 1].value.isEmpty())
            rows += QStringLiteral("<tr>") + Cell(QString::number(i / 3 + 1)) + Cell(items[i].value) +
                    Cell(items[i + 1].value) + ValueCell(items[i + 2].value) + QStringLiteral("</tr>\n");
    if (rows.isEmpty())
        return QStringLiteral("<p>The meter holds no event records.</p>\n");
    return QStringLiteral("<table class=\"wide\"><thead><tr><th>NO</th><th>Event Type</th><th>Action "
                          "Status</th><th>Time</th>"
                          "</tr></thead><tbody>\n") +
           rows + QStringLiteral("</tbody></table>\n");
}

QString SectionBody(PictureSink& pictures, const ReportSection& section)
{
    const QString& page = section.page;
    if (IsHarmonic(section))
        return HarmonicFigure(pictures, section);
    if (page == QLatin1String("soe"))
        return EventTable(section);
    QString html;
    if (page == QLatin1String("realtime"))
        html += PhaseFigure(pictures, section);
    return html + ItemTables(section.reading.items, page == QLatin1String("io") ? 3 : 2);
}

QString SectionHtml(PictureSink& pictures, const ReportSection& section, bool sheetStart)
{
    const QString id = section.channel.isEmpty() ? section.page : section.page + '-' + section.channel;
    return SectionStart(id, section.Heading(), sheetStart) +
           (section.reading.ok ? SectionBody(pictures, section) : MissingNote(section)) +
           QStringLiteral("</section>\n");
}

QString Fact(const QString& name, const QString& value)
{
    return QStringLiteral("<tr>") + Cell(name, "th") + Cell(value) + QStringLiteral("</tr>\n");
}

QString Header(const Report& report)
{
    const LineSettings& line = report.line;
    QString html =
        QStringLiteral("<header>\n<h1>VEMO400 commissioning report</h1>\n<table class=\"facts\">\n");
    html += Fact(QStringLiteral("Taken"), report.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    html += Fact(QStringLiteral("Port"), report.port);
    html += Fact(QStringLiteral("Address"), QString::number(line.address));
    html += Fact(QStringLiteral("Rate"), QStringLiteral("%1 baud").arg(line.baud));
    html += Fact(QStringLiteral("Parity"), ParityName(line.parity));
    html +=
        Fact(QString::fromLatin1(kMeterClockTitle),
             report.meterClock ? TimeTexts::MeterClockText(*report.meterClock) : QStringLiteral("missing"));
    html += Fact(QStringLiteral("Computer clock"),
                 report.computerClock.toString(QStringLiteral("yyyy-M-d HH:mm:ss")));
    html += Fact(QStringLiteral("Difference"), report.ClockDifferenceText());
    html += QStringLiteral("</table>\n");
    const QStringList missing = report.Missing();
    if (!missing.isEmpty())
        html += QStringLiteral("<p class=\"missing\">Missing: %1.</p>\n").arg(Escaped(missing.join(", ")));
    if (!report.meterClock)
        html +=
            QStringLiteral("<p class=\"missing\">Meter clock: %1.</p>\n").arg(Escaped(report.clockFailure));
    return html + QStringLiteral("</header>\n");
}
// The answer an engineer leaves the site with comes first: the findings and the phasors.
QString CheckSection(PictureSink& pictures, const Report& report)
{
    QString html =
        SectionStart(QStringLiteral("wiring-check"), QStringLiteral("Wiring and power quality"), false);
    if (!report.check)
        return html + QStringLiteral("<p class=\"missing\">Missing: %1</p>\n</section>\n")
                          .arg(Escaped(report.checkFailure));
    html += QStringLiteral("<p>%1</p>\n").arg(Escaped(DeclarationsText(*report.check)));
    const QString phasors =
        pictures.Element(200, 200, QStringLiteral("Phasors"),
                         [&report](QPainter& painter, const QRectF& area) {
                             DrawPhasors(painter, area, report.check->phasors);
                         }) +
        QStringLiteral(
            "\n<p class=\"caption\">Voltages at their ideal angles; each current at its measured angle "
            "from its own voltage (A brown, B black, C grey).</p>\n");
    return html + SideBySide({FindingsHtml(*report.check), phasors}, {75, 25}) +
           QStringLiteral("</section>\n");
}

} // namespace

std::vector<ReportBlock> ReportBlocks(const Report& report, PictureSink& pictures)
{
    std::vector<ReportBlock> blocks{{Header(report), false}, {CheckSection(pictures, report), false}};
    int harmonicCharts = 0;
    for (std::size_t i = 0; i < report.sections.size(); ++i) {
        const ReportSection& section = report.sections[i];
        if (!IsHarmonic(section)) {
            blocks.push_back({SectionHtml(pictures, section, IsSheetStart(section)), IsSheetStart(section)});
            continue;
        }
        // Three harmonic charts fill a sheet; the values of all six follow the last.
        const bool sheetStart = harmonicCharts++ % 3 == 0;
        blocks.push_back({SectionHtml(pictures, section, sheetStart), sheetStart});
        const bool last = i + 1 == report.sections.size() || !IsHarmonic(report.sections[i + 1]);
        if (last && section.reading.ok)
            blocks.push_back({HarmonicValuesTable(report), false});
    }
    return blocks;
}

QString ReportHtml(const Report& report)
{
    InlinePictures pictures;
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>");
    html += Escaped(QStringLiteral("VEMO400 report, address %1, %2")
                        .arg(report.line.address)
                        .arg(report.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    html += QStringLiteral("</title>\n<style>") + QString::fromLatin1(kStyle).arg(QLatin1String(kReportFontFamily)) +
            QStringLiteral("</style>\n</head>\n<body>\n");
    for (const ReportBlock& block : ReportBlocks(report, pictures))
        html += block.html;
    return html + QStringLiteral("</body>\n</html>\n");
}
