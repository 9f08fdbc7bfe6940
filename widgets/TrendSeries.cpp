#include "widgets/TrendSeries.h"

#include <algorithm>

TrendSeries::TrendSeries(QString name, QString unit, std::size_t capacity)
    : m_name(std::move(name)), m_unit(std::move(unit)), m_ring(std::max<std::size_t>(capacity, 1))
{
}

void TrendSeries::Add(int64_t timeMs, double value)
{
    if (m_size > 0)
        timeMs = std::max(timeMs, At(m_size - 1).timeMs);
    if (m_size < m_ring.size()) {
        m_ring[(m_first + m_size) % m_ring.size()] = {timeMs, value};
        ++m_size;
        return;
    }
    m_ring[m_first] = {timeMs, value};
    m_first = (m_first + 1) % m_ring.size();
}

void TrendSeries::Clear()
{
    m_first = 0;
    m_size = 0;
}

std::size_t TrendSeries::FirstAtOrAfter(int64_t timeMs) const
{
    std::size_t low = 0;
    std::size_t high = m_size;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (At(middle).timeMs < timeMs)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

std::optional<TrendStats> TrendSeries::Stats(int64_t fromMs, int64_t toMs) const
{
    TrendStats stats{0, 0, 0, 0};
    double sum = 0;
    for (std::size_t i = FirstAtOrAfter(fromMs); i < m_size && At(i).timeMs <= toMs; ++i) {
        const double value = At(i).value;
        stats.min = stats.count ? std::min(stats.min, value) : value;
        stats.max = stats.count ? std::max(stats.max, value) : value;
        sum += value;
        ++stats.count;
    }
    if (stats.count == 0)
        return std::nullopt;
    stats.mean = sum / static_cast<double>(stats.count);
    return stats;
}
