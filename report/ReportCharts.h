#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPainter;

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

// Charts side by side in the area, drawn by QPainter on whatever it paints: a picture for
// the HTML page, a PDF page.
void DrawCharts(QPainter& painter, const QRectF& area, const std::vector<BarChart>& charts);

// What draws one picture into an area of the size asked for.
using Drawing = std::function<void(QPainter& painter, const QRectF& area)>;
// Where the report's pictures go: into the HTML page itself, or into a document that keeps them
// as resources as it lays the page out for print. Each picture is drawn at three times its size
// on the page, so that it prints sharply.
class PictureSink
{
public:
    virtual ~PictureSink() = default;
    // The <img> element of a picture of width x height page pixels.
    virtual QString Element(int width, int height, const QString& title, const Drawing& draw) = 0;
};

// Pictures carried in the page as PNG data.
class InlinePictures final : public PictureSink
{
public:
    QString Element(int width, int height, const QString& title, const Drawing& draw) override;
};

// The picture the drawing makes of width x height page pixels, at three times that size.
QImage DrawnPicture(int width, int height, const Drawing& draw);
QString ChartsElement(PictureSink& pictures, const std::vector<BarChart>& charts, int width, int height,
                      const QString& title);
