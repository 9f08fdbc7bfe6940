#include "widgets/TrendChart.h"

#include "framework/DialogColours.h"
#include "widgets/TrendSeries.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kMargin = 8;
constexpr int kAxisWidth = 64;
constexpr int kLegendHeight = 22;
constexpr int kTimeLabelHeight = 20;
// Points further apart than this are not joined: the page did not poll in between.
constexpr int64_t kGapMs = 5000;
// Above this many points a series is drawn without antialiasing, which costs several times more.
constexpr std::size_t kSmoothPoints = 4000;

const QColor kPlotBackground{255, 255, 255};
const QColor kGridLine{215, 215, 215};

// 1, 2 or 5 times a power of ten, at least raw.
double NiceStep(double raw)
{
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / power;
    const double nice = fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10;
    return nice * power;
}

// The step between time labels: about six across the span.
int64_t TimeStep(int64_t spanMs)
{
    constexpr int64_t kSteps[] = {5000, 10000, 15000, 30000, 60000, 120000, 300000, 600000, 900000, 1800000};
    for (int64_t step : kSteps)
        if (spanMs / step <= 7)
            return step;
    return 3600000;
}
} // namespace

CTrendChart::CTrendChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(400, 240);
}

void CTrendChart::SetSeries(std::vector<const TrendSeries*> series)
{
    m_series = std::move(series);
    update();
}

void CTrendChart::SetSpan(int64_t endMs, int64_t spanMs)
{
    m_endMs = endMs;
    m_spanMs = std::max<int64_t>(spanMs, 1000);
    update();
}

QColor CTrendChart::SeriesColour(std::size_t index)
{
    static const QColor kColours[] = {{0, 60, 170},  {200, 30, 30}, {0, 130, 50},
                                      {150, 0, 150}, {210, 110, 0}, {90, 60, 30}};
    return kColours[index % std::size(kColours)];
}

std::size_t CTrendChart::AxisOf(const TrendSeries& series, const std::vector<Axis>& axes) const
{
    for (std::size_t i = 0; i < axes.size(); ++i)
        if (axes[i].unit == series.Unit())
            return i;
    return axes.size() - 1;
}

// One axis per unit, at most two, each spanning what its series show in the span, in round steps.
std::vector<CTrendChart::Axis> CTrendChart::Axes() const
{
    std::vector<Axis> axes;
    std::vector<bool> seen;
    for (const TrendSeries* series : m_series) {
        if (axes.size() < 2 && std::none_of(axes.begin(), axes.end(),
                                            [&](const Axis& axis) { return axis.unit == series->Unit(); })) {
            axes.push_back({series->Unit(), 0, 0});
            seen.push_back(false);
        }
        const std::size_t index = AxisOf(*series, axes);
        const auto stats = series->Stats(m_endMs - m_spanMs, m_endMs);
        if (!stats)
            continue;
        Axis& axis = axes[index];
        axis.low = seen[index] ? std::min(axis.low, stats->min) : stats->min;
        axis.high = seen[index] ? std::max(axis.high, stats->max) : stats->max;
        seen[index] = true;
    }
    for (std::size_t i = 0; i < axes.size(); ++i) {
        Axis& axis = axes[i];
        if (!seen[i]) {
            axis.low = 0;
            axis.high = 1;
        }
        const double range = axis.high - axis.low;
        const double pad = range > 0 ? range * 0.05 : std::max(std::abs(axis.high) * 0.01, 0.01);
        const double step = NiceStep((range + 2 * pad) / 5);
        axis.low = std::floor((axis.low - pad) / step) * step;
        axis.high = std::ceil((axis.high + pad) / step) * step;
    }
    return axes;
}

QRect CTrendChart::PlotRect(std::size_t axisCount) const
{
    const int right = axisCount > 1 ? kAxisWidth : kMargin * 2;
    return QRect(QPoint(kAxisWidth, kLegendHeight + kMargin),
                 QPoint(width() - right, height() - kTimeLabelHeight - kMargin));
}

void CTrendChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kDialogBackground);
    const std::vector<Axis> axes = Axes();
    const QRect plot = PlotRect(axes.size());
    painter.fillRect(plot, kPlotBackground);
    DrawTimeAxis(painter, plot);
    for (std::size_t i = 0; i < axes.size(); ++i)
        DrawValueAxis(painter, plot, axes[i], i == 1);
    painter.setPen(kDialogText);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    if (m_series.empty()) {
        painter.drawText(plot, Qt::AlignCenter,
                         QStringLiteral("No values: choose \"Show trend\" on a page's value"));
        return;
    }
    for (std::size_t i = 0; i < m_series.size(); ++i)
        DrawSeries(painter, plot, *m_series[i], axes[AxisOf(*m_series[i], axes)], SeriesColour(i));
    DrawLegend(painter, plot);
}

// Labels on whole steps of local time, with the seconds when the steps are under a minute.
void CTrendChart::DrawTimeAxis(QPainter& painter, const QRect& plot) const
{
    const int64_t step = TimeStep(m_spanMs);
    const int64_t startMs = m_endMs - m_spanMs;
    const int64_t offsetMs = QDateTime::fromMSecsSinceEpoch(m_endMs).offsetFromUtc() * 1000LL;
    const QString format = step < 60000 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    int64_t tick = (startMs + offsetMs + step - 1) / step * step - offsetMs;
    for (; tick <= m_endMs; tick += step) {
        const int x = plot.left() + static_cast<int>((tick - startMs) * plot.width() / m_spanMs);
        painter.setPen(kGridLine);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(kDialogText);
        const QString label = QDateTime::fromMSecsSinceEpoch(tick).toString(format);
        painter.drawText(QRect(x - 40, plot.bottom() + 2, 80, kTimeLabelHeight), Qt::AlignCenter, label);
    }
}

void CTrendChart::DrawValueAxis(QPainter& painter, const QRect& plot, const Axis& axis, bool right) const
{
    const double step = NiceStep((axis.high - axis.low) / 5);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step))));
    for (double value = axis.low; value <= axis.high + step / 2; value += step) {
        const int y =
            plot.bottom() - static_cast<int>((value - axis.low) / (axis.high - axis.low) * plot.height());
        if (!right) {
            painter.setPen(kGridLine);
            painter.drawLine(plot.left(), y, plot.right(), y);
        }
        painter.setPen(kDialogText);
        const QRect box = right ? QRect(plot.right() + 4, y - 10, kAxisWidth - 6, 20)
                                : QRect(2, y - 10, kAxisWidth - 6, 20);
        painter.drawText(box, (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                         QString::number(value, 'f', decimals));
    }
    const QRect unitBox = right ? QRect(plot.right() + 4, 2, kAxisWidth - 6, kLegendHeight)
                                : QRect(2, 2, kAxisWidth - 6, kLegendHeight);
    painter.drawText(unitBox, (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, axis.unit);
}

// Only the points in the span (and one either side, so the line reaches the edges) are visited.
void CTrendChart::DrawSeries(QPainter& painter, const QRect& plot, const TrendSeries& series,
                             const Axis& axis, const QColor& colour) const
{
    const int64_t startMs = m_endMs - m_spanMs;
    const std::size_t first = series.FirstAtOrAfter(startMs);
    const std::size_t from = first > 0 ? first - 1 : 0;
    const std::size_t to = std::min(series.FirstAtOrAfter(m_endMs + 1) + 1, series.Size());
    if (from >= to)
        return;
    const auto place = [&](const TrendPoint& point) {
        const double x = plot.left() + static_cast<double>(point.timeMs - startMs) * plot.width() / m_spanMs;
        const double y = plot.bottom() - (point.value - axis.low) / (axis.high - axis.low) * plot.height();
        return QPointF(x, y);
    };
    QPainterPath path(place(series.At(from)));
    for (std::size_t i = from + 1; i < to; ++i) {
        if (series.At(i).timeMs - series.At(i - 1).timeMs > kGapMs)
            path.moveTo(place(series.At(i)));
        else
            path.lineTo(place(series.At(i)));
    }
    painter.save();
    painter.setClipRect(plot.adjusted(1, 1, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing, to - from <= kSmoothPoints);
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    if (to - from == 1)
        painter.drawEllipse(place(series.At(from)), 2, 2);
    painter.restore();
}

void CTrendChart::DrawLegend(QPainter& painter, const QRect& plot) const
{
    int x = plot.left();
    const int y = kMargin + kLegendHeight / 2;
    for (std::size_t i = 0; i < m_series.size(); ++i) {
        const TrendSeries& series = *m_series[i];
        const QString label = series.Unit().isEmpty()
                                  ? series.Name()
                                  : QStringLiteral("%1 (%2)").arg(series.Name(), series.Unit());
        painter.setPen(QPen(SeriesColour(i), 3));
        painter.drawLine(x, y, x + 18, y);
        painter.setPen(kDialogText);
        const int textWidth = painter.fontMetrics().horizontalAdvance(label);
        painter.drawText(QRect(x + 22, kMargin, textWidth + 4, kLegendHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, label);
        x += 22 + textWidth + 16;
    }
}
