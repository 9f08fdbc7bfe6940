#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <vector>

// The font family of the report, for its page and the text in its charts alike.
inline constexpr const char* kReportFontFamily = "DejaVu Sans";

// One set of bars, one per category, in one colour.
struct BarSeries
{
    QString name; // shown in the legend when a chart has more than one series
    QColor colour;
    std::vector<double> values;
    QStringList labels; // written at the ends of the bars when given, one per value
};

// A bar chart of categories along the bottom, grouped bars for the series,
// and a value axis from zero (or below, for negative values) upward.
struct BarChart
{
    QString title;
    QString unit; // of the value axis
    QStringList categories;
    std::vector<BarSeries> series;
};

// Charts side by side in one picture of width x height pixels, as an <svg>
// element for an HTML page: drawn by QPainter on Qt's SVG generator, without
// the XML prologue and without a fixed size, so the page's style sizes it.
QString ChartsSvg(const std::vector<BarChart>& charts, int width, int height, const QString& title);
