#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct TrendPoint
{
    int64_t timeMs; // wall-clock time, ms since the epoch
    double value;
};

struct TrendStats
{
    double min;
    double max;
    double mean;
    std::size_t count;
};

// One value over time, as a trend chart shows it: a bounded ring of points in
// time order; when it is full the oldest point goes.
class TrendSeries
{
public:
    // An hour of a value polled every 200 ms, the fastest a page polls.
    static constexpr std::size_t kCapacity = 60 * 60 * 5;

    TrendSeries(QString name, QString unit, std::size_t capacity = kCapacity);

    const QString& Name() const { return m_name; }
    const QString& Unit() const { return m_unit; }

    // A point earlier than the last one (the computer's clock was set back) is
    // taken at the last one's time, so the points stay in order.
    void Add(int64_t timeMs, double value);
    void Clear();

    std::size_t Size() const { return m_size; }
    // Oldest first.
    const TrendPoint& At(std::size_t index) const { return m_ring[(m_first + index) % m_ring.size()]; }
    // Index of the first point at or after timeMs; Size() when there is none.
    std::size_t FirstAtOrAfter(int64_t timeMs) const;
    // Minimum, maximum and mean of the points from fromMs to toMs; none when no point lies there.
    std::optional<TrendStats> Stats(int64_t fromMs, int64_t toMs) const;

private:
    QString m_name;
    QString m_unit;
    std::vector<TrendPoint> m_ring;
    std::size_t m_first = 0;
    std::size_t m_size = 0;
};
