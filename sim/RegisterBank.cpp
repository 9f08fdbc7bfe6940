#include "sim/RegisterBank.h"

namespace {
struct Range
{
    int first;
    int last;
    bool writable;
};

// Ranges of the register map; the harmonic table answers up to order 31 of Ic
// (table index 188), beyond the six blocks the harmonics poll reads.
constexpr Range kRanges[] = {
    {0, 44, false},     {100, 138, false},  {200, 223, false},  {300, 325, false},  {400, 588, false},
    {600, 629, false},  {700, 705, true},   {710, 909, false},  {1000, 1007, true}, {1009, 1012, true},
    {1015, 1018, true}, {1021, 1025, true}, {1030, 1049, true},
};

const Range* RangeOf(int start, int count)
{
    if (count < 1)
        return nullptr;
    for (const Range& range : kRanges)
        // count - 1 <= last - start: start + count - 1 could overflow for a typed count.
        if (start >= range.first && start <= range.last && count - 1 <= range.last - start)
            return &range;
    return nullptr;
}
} // namespace

bool CRegisterBank::IsMapped(int start, int count)
{
    return RangeOf(start, count) != nullptr;
}

bool CRegisterBank::IsWritable(int start, int count)
{
    const Range* range = RangeOf(start, count);
    return range != nullptr && range->writable;
}

uint32_t CRegisterBank::GetU32(int address) const
{
    return static_cast<uint32_t>(Get(address)) | (static_cast<uint32_t>(Get(address + 1)) << 16);
}

void CRegisterBank::SetU32(int address, uint32_t value)
{
    Set(address, static_cast<uint16_t>(value & 0xFFFF));
    Set(address + 1, static_cast<uint16_t>(value >> 16));
}

int32_t CRegisterBank::GetS32(int address) const
{
    return static_cast<int32_t>(GetU32(address));
}

void CRegisterBank::SetS32(int address, int32_t value)
{
    SetU32(address, static_cast<uint32_t>(value));
}
