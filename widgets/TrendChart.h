#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

class TrendSeries;

// Draws up to a few series over a wall-clock time axis with QPainter: the
// first unit's axis on the left, a second unit's on the right. The series
// belong to the owner, which calls update() when they change.
class CTrendChart : public QWidget
{
    Q_OBJECT
public:
    explicit CTrendChart(QWidget* parent = nullptr);

    // Series of more than two units share the right-hand axis with the second.
    void SetSeries(std::vector<const TrendSeries*> series);
    // The time span shown: spanMs up to endMs (ms since the epoch).
    void SetSpan(int64_t endMs, int64_t spanMs);
    int64_t SpanEndMs() const { return m_endMs; }
    int64_t SpanMs() const { return m_spanMs; }

    static QColor SeriesColour(std::size_t index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Axis
    {
        QString unit;
        double low = 0;
        double high = 1;
    };

    std::vector<Axis> Axes() const;
    std::size_t AxisOf(const TrendSeries& series, const std::vector<Axis>& axes) const;
    QRect PlotRect(std::size_t axisCount) const;
    void DrawTimeAxis(QPainter& painter, const QRect& plot) const;
    void DrawValueAxis(QPainter& painter, const QRect& plot, const Axis& axis, bool right) const;
    void DrawSeries(QPainter& painter, const QRect& plot, const TrendSeries& series, const Axis& axis,
                    const QColor& colour) const;
    void DrawLegend(QPainter& painter, const QRect& plot) const;

    std::vector<const TrendSeries*> m_series;
    int64_t m_endMs = 0;
    int64_t m_spanMs = 10 * 60 * 1000;
};
