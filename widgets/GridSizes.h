#pragma once

#include <cstddef>
#include <limits>
#include <numeric>
#include <vector>

// The heights of a grid's rows (or the widths of its columns) in pixels, with
// their total kept as they change. The grid measures in int pixels: a size
// that would take the total past what an int holds is refused.
class GridSizes
{
public:
    int Count() const { return int(m_sizes.size()); }
    int At(int index) const { return m_sizes[std::size_t(index)]; }
    long long Total() const { return m_total; }
    long long SumOfFirst(int count) const
    {
        return std::accumulate(m_sizes.begin(), m_sizes.begin() + count, 0LL);
    }

    bool Set(int index, int size)
    {
        const long long total = m_total - At(index) + size;
        if (total > std::numeric_limits<int>::max())
            return false;
        m_sizes[std::size_t(index)] = size;
        m_total = total;
        return true;
    }
    // Cuts the list to count entries, or fills it up to count with entries of size.
    void Resize(int count, int size = 0)
    {
        const long long change =
            count < Count() ? -(m_total - SumOfFirst(count)) : static_cast<long long>(count - Count()) * size;
        m_sizes.resize(std::size_t(count), size);
        m_total += change;
    }
    void Reserve(int count) { m_sizes.reserve(std::size_t(count)); }
    void Append(int size)
    {
        m_sizes.push_back(size);
        m_total += size;
    }

private:
    std::vector<int> m_sizes;
    long long m_total = 0;
};
