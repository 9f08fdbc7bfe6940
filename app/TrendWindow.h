#pragma once

#include "pages/MainWindowLink.h"
#include "widgets/TrendSeries.h"

#include <QTimer>
#include <QWidget>
#include <memory>
#include <span>
#include <vector>

class CTrendChart;
class QComboBox;
class QLabel;
class QPushButton;

// The trend chart window: the values the user chose with "Show trend", each
// fed by its page's own polls, over the last 1, 10 or 60 minutes of wall-clock
// time, with the minimum, maximum and average of what is shown.
class CTrendWindow : public QWidget
{
    Q_OBJECT
public:
    // A chart holds values of at most two units, one axis each.
    static constexpr int kMostUnits = 2;

    explicit CTrendWindow(QWidget* parent = nullptr);
    ~CTrendWindow() override;

    // Adds page's value to the chart (once); false when its unit would be a third.
    bool AddValue(int page, const PolledValue& value);
    // A poll of page wrote these values; the chart's values among them take a point at timeMs.
    void TakeValues(int page, int64_t timeMs, std::span<const PolledValue> values);
    const TrendSeries* Series(int page, const QString& name) const;

    void SetSpanMinutes(int minutes);
    void SetPaused(bool paused);
    bool Paused() const;
    // What the chart shows, as a picture and as one row per poll time with a column per value.
    bool SavePicture(const QString& path);
    bool SaveCsv(const QString& path) const;
    QString StatsText() const;

private:
    struct Followed
    {
        int page;
        TrendSeries series;
    };

    void BuildLayout();
    void Refresh();
    void ClearValues();

    std::vector<std::unique_ptr<Followed>> m_followed;
    CTrendChart* m_chart = nullptr;
    QComboBox* m_span = nullptr;
    QPushButton* m_pause = nullptr;
    QLabel* m_stats = nullptr;
    QTimer m_refresh;
};
