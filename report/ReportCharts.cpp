#include "report/ReportCharts.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
// Pictures are drawn at three times their size on the page, so that they stay sharp in print.
constexpr int kPictureScale = 3;
constexpr int kTextPixels = 11;
constexpr int kTitlePixels = 12;
constexpr int kBarLabelPixels = 10;
const QColor kInk(0x20, 0x20, 0x20);
const QColor kGridLine(0xD0, 0xD0, 0xD0);

// The value axis: from below zero only when a value is, to a round number above the largest.
struct Scale
{
    double low = 0;
    double high = 1;
    double step = 0.2;
};

// A step of 1, 2 or 5 times a power of ten that divides the span in about five.
double RoundStep(double span)
{
    const double rough = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10 * power;
}

Scale ScaleOf(const BarChart& chart)
{
    double low = 0;
    double high = 0;
    for (const BarSeries& series : chart.series)
        for (double value : series.values) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    if (high - low <= 0)
        high = 1;
    Scale scale;
    scale.step = RoundStep(high - low);
    scale.low = std::floor(low / scale.step) * scale.step;
    scale.high = std::ceil(high / scale.step) * scale.step;
    return scale;
}

// Axis numbers stay short: 150000 is "150k".
QString AxisText(double value, double step)
{
    if (std::abs(value) < step / 2)
        return QStringLiteral("0");
    const double magnitude = std::max(std::abs(value), step);
    if (magnitude >= 1e6)
        return QString::number(value / 1e6, 'g', 4) + 'M';
    if (magnitude >= 1e3)
        return QString::number(value / 1e3, 'g', 4) + 'k';
    return QString::number(value, 'g', 4);
}

QFont ChartFont(int pixels, bool bold = false)
{
    QFont font(QString::fromLatin1(kReportFontFamily));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

struct Plot
{
    QRectF area;
    Scale scale;

    double Y(double value) const
    {
        return area.bottom() - (value - scale.low) / (scale.high - scale.low) * area.height();
    }
};

void DrawValueAxis(QPainter& painter, const Plot& plot, const QString& unit)
{
    painter.setFont(ChartFont(kTextPixels));
    for (double value = plot.scale.low; value <= plot.scale.high + plot.scale.step / 2;
         value += plot.scale.step) {
        const double y = plot.Y(value);
        painter.setPen(QPen(std::abs(value) < plot.scale.step / 2 ? kInk : kGridLine, 1));
        painter.drawLine(QPointF(plot.area.left(), y), QPointF(plot.area.right(), y));
        painter.setPen(kInk);
        painter.drawText(QRectF(0, y - 8, plot.area.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                         AxisText(value, plot.scale.step));
    }
    painter.drawText(QRectF(0, plot.area.top() - 18, plot.area.left() - 4, 14),
                     Qt::AlignRight | Qt::AlignBottom, unit);
}

// The value over its bar, in the room its bar's slot has: as the page shows it, shortened to four
// digits when that is too wide ("22.1k"), and left out when even that is (the table has it).
void DrawBarLabel(QPainter& painter, const QRectF& bar, double room, const QString& text, double value)
{
    painter.setFont(ChartFont(kBarLabelPixels));
    const QFontMetricsF metrics(painter.font());
    QString shown = text;
    if (metrics.horizontalAdvance(shown) > room)
        shown = AxisText(value, 0);
    if (metrics.horizontalAdvance(shown) > room)
        return;
    const bool negative = value < 0;
    const QRectF box(bar.center().x() - room / 2, negative ? bar.bottom() + 1 : bar.top() - 15, room, 14);
    painter.setPen(kInk);
    painter.drawText(box, Qt::AlignHCenter | (negative ? Qt::AlignTop : Qt::AlignBottom), shown);
}

void DrawBars(QPainter& painter, const Plot& plot, const BarChart& chart)
{
    const double group = plot.area.width() / std::max<qsizetype>(1, chart.categories.size());
    const double barWidth = group * 0.75 / static_cast<double>(std::max<std::size_t>(1, chart.series.size()));
    for (qsizetype c = 0; c < chart.categories.size(); ++c) {
        const double left = plot.area.left() + group * static_cast<double>(c) + group * 0.125;
        for (std::size_t s = 0; s < chart.series.size(); ++s) {
            const double value = chart.series[s].values.at(static_cast<std::size_t>(c));
            const double x = left + barWidth * static_cast<double>(s);
            const QRectF bar =
                QRectF(QPointF(x, plot.Y(value)), QPointF(x + barWidth, plot.Y(0))).normalized();
            painter.fillRect(bar, chart.series[s].colour);
            if (const QStringList& labels = chart.series[s].labels; c < labels.size())
                DrawBarLabel(painter, bar, group / static_cast<double>(chart.series.size()) - 2, labels[c],
                             value);
        }
        painter.setPen(kInk);
        painter.setFont(ChartFont(kTextPixels));
        painter.drawText(QRectF(left - group * 0.125, plot.area.bottom() + 2, group, 16),
                         Qt::AlignHCenter | Qt::AlignTop, chart.categories[c]);
    }
}

// The series' names with their colours, right-aligned on the title line.
void DrawLegend(QPainter& painter, const QRectF& line, const BarChart& chart)
{
    if (chart.series.size() < 2)
        return;
    painter.setFont(ChartFont(kTextPixels));
    const QFontMetricsF metrics(painter.font());
    double x = line.right();
    for (auto series = chart.series.rbegin(); series != chart.series.rend(); ++series) {
        x -= metrics.horizontalAdvance(series->name) + 4;
        painter.setPen(kInk);
        painter.drawText(QRectF(x, line.top(), line.right() - x, line.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, series->name);
        x -= 12;
        painter.fillRect(QRectF(x, line.center().y() - 5, 10, 10), series->colour);
        x -= 8;
    }
}

void DrawChart(QPainter& painter, const QRectF& frame, const BarChart& chart)
{
    const QRectF titleLine(frame.left(), frame.top(), frame.width(), 18);
    painter.setFont(ChartFont(kTitlePixels, true));
    painter.setPen(kInk);
    painter.drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter, chart.title);
    DrawLegend(painter, titleLine, chart);
    const Plot plot{frame.adjusted(48, 40, -6, -20), ScaleOf(chart)};
    DrawValueAxis(painter, plot, chart.unit);
    DrawBars(painter, plot, chart);
}

} // namespace

void DrawCharts(QPainter& painter, const QRectF& area, const std::vector<BarChart>& charts)
{
    const double each = area.width() / static_cast<double>(std::max<std::size_t>(1, charts.size()));
    for (std::size_t c = 0; c < charts.size(); ++c)
        DrawChart(painter,
                  QRectF(area.left() + each * static_cast<double>(c), area.top(), each, area.height())
                      .adjusted(4, 2, -8, -2),
                  charts[c]);
}

QImage DrawnPicture(int width, int height, const Drawing& draw)
{
    QImage picture(width * kPictureScale, height * kPictureScale, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kPictureScale, kPictureScale);
    draw(painter, QRectF(0, 0, width, height));
    return picture;
}

QString InlinePictures::Element(int width, int height, const QString& title, const Drawing& draw)
{
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    DrawnPicture(width, height, draw).save(&png, "PNG");
    return QStringLiteral(
               "<img class=\"chart\" width=\"%1\" height=\"%2\" alt=\"%3\" src=\"data:image/png;base64,%4\">")
        .arg(width)
        .arg(height)
        .arg(title.toHtmlEscaped(), QString::fromLatin1(png.data().toBase64()));
}

QString ChartsElement(PictureSink& pictures, const std::vector<BarChart>& charts, int width, int height,
                      const QString& title)
{
    return pictures.Element(width, height, title, [&charts](QPainter& painter, const QRectF& area) {
        DrawCharts(painter, area, charts);
    });
}
