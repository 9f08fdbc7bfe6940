#include "app/TrendWindow.h"

#include "framework/DialogColours.h"
#include "framework/SaveAs.h"
#include "widgets/TrendChart.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kRefreshMs = 1000;
constexpr int kSpanMinutes[] = {1, 10, 60};

QString Text(const char* text)
{
    return text ? QString::fromLatin1(text) : QString();
}

QString Number(double value)
{
    return QString::number(value, 'f', 3);
}

QString Heading(const TrendSeries& series)
{
    return series.Unit().isEmpty() ? series.Name()
                                   : QStringLiteral("%1 (%2)").arg(series.Name(), series.Unit());
}
} // namespace

CTrendWindow::CTrendWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Trend"));
    ApplyDialogColours(*this);
    BuildLayout();
    // Fits a 1366 × 768 screen with room for the main window beside or under it.
    resize(900, 540);
    SetSpanMinutes(10);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] { Refresh(); });
    m_refresh.start();
}

CTrendWindow::~CTrendWindow() = default;

void CTrendWindow::BuildLayout()
{
    m_span = new QComboBox;
    for (int minutes : kSpanMinutes)
        m_span->addItem(minutes == 1 ? QStringLiteral("Last minute")
                                     : QStringLiteral("Last %1 minutes").arg(minutes),
                        minutes);
    connect(m_span, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    m_pause = new QPushButton(QStringLiteral("&Pause"));
    m_pause->setCheckable(true);
    connect(m_pause, &QPushButton::toggled, this, [this] { Refresh(); });
    auto* clear = new QPushButton(QStringLiteral("&Clear"));
    connect(clear, &QPushButton::clicked, this, [this] { ClearValues(); });
    auto* picture = new QPushButton(QStringLiteral("Save as P&NG..."));
    connect(picture, &QPushButton::clicked, this, [this] {
        SaveAs(this, QStringLiteral("Save the chart as a picture"), QStringLiteral("trend.png"),
               QStringLiteral("PNG (*.png)"),
               [this](const QString& path, QString&) { return SavePicture(path); });
    });
    auto* csv = new QPushButton(QStringLiteral("Save as C&SV..."));
    connect(csv, &QPushButton::clicked, this, [this] {
        SaveAs(this, QStringLiteral("Save the values as CSV"), QStringLiteral("trend.csv"),
               QStringLiteral("CSV (*.csv)"),
               [this](const QString& path, QString&) { return SaveCsv(path); });
    });

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_span);
    bar->addWidget(m_pause);
    bar->addWidget(clear);
    bar->addStretch();
    bar->addWidget(picture);
    bar->addWidget(csv);

    m_chart = new CTrendChart;
    m_stats = new QLabel;
    m_stats->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_chart, 1);
    layout->addWidget(m_stats);
}

bool CTrendWindow::AddValue(int page, const PolledValue& value)
{
    const QString name = Text(value.name);
    if (Series(page, name))
        return true;
    const QString unit = Text(value.unit).trimmed();
    std::vector<QString> units;
    for (const auto& followed : m_followed)
        if (std::find(units.begin(), units.end(), followed->series.Unit()) == units.end())
            units.push_back(followed->series.Unit());
    if (std::find(units.begin(), units.end(), unit) == units.end() && units.size() >= kMostUnits)
        return false;
    m_followed.push_back(std::make_unique<Followed>(Followed{page, TrendSeries(name, unit)}));
    std::vector<const TrendSeries*> series;
    for (const auto& followed : m_followed)
        series.push_back(&followed->series);
    m_chart->SetSeries(std::move(series));
    Refresh();
    return true;
}

void CTrendWindow::TakeValues(int page, int64_t timeMs, std::span<const PolledValue> values)
{
    bool taken = false;
    for (const auto& followed : m_followed) {
        if (followed->page != page)
            continue;
        for (const PolledValue& value : values)
            if (followed->series.Name() == Text(value.name)) {
                followed->series.Add(timeMs, value.value);
                taken = true;
            }
    }
    if (taken && !Paused())
        m_chart->SetSpan(timeMs, m_chart->SpanMs());
}

const TrendSeries* CTrendWindow::Series(int page, const QString& name) const
{
    for (const auto& followed : m_followed)
        if (followed->page == page && followed->series.Name() == name)
            return &followed->series;
    return nullptr;
}

void CTrendWindow::SetSpanMinutes(int minutes)
{
    const int index = m_span->findData(minutes);
    if (index >= 0)
        m_span->setCurrentIndex(index);
    Refresh();
}

void CTrendWindow::SetPaused(bool paused)
{
    m_pause->setChecked(paused);
}

bool CTrendWindow::Paused() const
{
    return m_pause->isChecked();
}

// While paused the span stays where it was; the values go on being taken.
void CTrendWindow::Refresh()
{
    const int64_t spanMs = m_span->currentData().toInt() * 60000LL;
    const int64_t endMs = Paused() ? m_chart->SpanEndMs() : QDateTime::currentMSecsSinceEpoch();
    m_chart->SetSpan(endMs, spanMs);
    m_stats->setText(StatsText());
}

QString CTrendWindow::StatsText() const
{
    const int64_t endMs = m_chart->SpanEndMs();
    const int64_t startMs = endMs - m_chart->SpanMs();
    QStringList lines;
    for (const auto& followed : m_followed) {
        const TrendSeries& series = followed->series;
        const auto stats = series.Stats(startMs, endMs);
        if (!stats) {
            lines << QStringLiteral("%1: no values in the span").arg(series.Name());
            continue;
        }
        lines << QStringLiteral("%1: min %2   max %3   average %4 %5   (%6 values)")
                     .arg(series.Name(), Number(stats->min), Number(stats->max), Number(stats->mean),
                          series.Unit())
                     .arg(stats->count);
    }
    return lines.join(QLatin1Char('\n'));
}

bool CTrendWindow::SavePicture(const QString& path)
{
    return m_chart->grab().save(path, "PNG");
}

// One row per time at which any value took a point in the span; a value with no point then leaves its cell
// empty.
bool CTrendWindow::SaveCsv(const QString& path) const
{
    const int64_t endMs = m_chart->SpanEndMs();
    const int64_t startMs = endMs - m_chart->SpanMs();
    std::vector<int64_t> times;
    std::vector<std::size_t> next;
    QStringList header{QStringLiteral("time")};
    for (const auto& followed : m_followed) {
        const TrendSeries& series = followed->series;
        next.push_back(series.FirstAtOrAfter(startMs));
        for (std::size_t i = next.back(); i < series.Size() && series.At(i).timeMs <= endMs; ++i)
            times.push_back(series.At(i).timeMs);
        header << Heading(series);
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QString text = header.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (int64_t time : times) {
        QStringList row{
            QDateTime::fromMSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))};
        for (std::size_t s = 0; s < m_followed.size(); ++s) {
            const TrendSeries& series = m_followed[s]->series;
            std::size_t& i = next[s];
            if (i < series.Size() && series.At(i).timeMs == time)
                row << QString::number(series.At(i++).value, 'g', 10);
            else
                row << QString();
        }
        text += row.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

void CTrendWindow::ClearValues()
{
    m_followed.clear();
    m_chart->SetSeries({});
    Refresh();
}
