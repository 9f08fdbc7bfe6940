#pragma once

#include "meter/PageReads.h"

#include <QString>
#include <cstdint>
#include <span>

// The meter's harmonic table, where index k is register 400 + k, and the
// texts the harmonic page shows of one channel: its THD, orders 2 to 31 in
// percent and, for a current, its K factor.
namespace HarmonicTable {

// One channel: its THD index, its order h at 6h + orderOffset and, for a current, its K factor.
struct Channel
{
    int code; // 1 to 6 for Ia, Ib, Ic, Ua, Ub, Uc
    const char* name;
    int thdIndex;
    int orderOffset;
    int kFactorIndex; // -1 for the voltages, which have none
};

inline constexpr Channel kChannels[] = {
    {1, "Ia", 3, 0, 6},   {2, "Ib", 4, 1, 7},   {3, "Ic", 5, 2, 8},
    {4, "Ua", 0, -3, -1}, {5, "Ub", 1, -2, -1}, {6, "Uc", 2, -1, -1},
};

inline constexpr int kFirstOrder = 2;
inline constexpr int kLastOrder = 31;

// The whole table as the page reads it.
inline constexpr int kSize = PageReads::kHarmonics.Size();
static_assert(6 * kLastOrder + 2 < kSize, "the table must reach order 31 of Ic");

QString ThdName(const Channel& channel);
QString OrderName(const Channel& channel, int order);
QString KFactorName(const Channel& channel);

// Values as the page shows them, from the table read in blocks.
QString ThdText(const Channel& channel, std::span<const int32_t, kSize> table);
QString OrderText(const Channel& channel, int order, std::span<const int32_t, kSize> table);
QString KFactorText(const Channel& channel, std::span<const int32_t, kSize> table);

} // namespace HarmonicTable
