#pragma once

#include "meter/HarmonicTable.h"
#include "meter/PageReads.h"

#include <array>
#include <cstdint>

// What the wiring check reads of a meter, as the registers arrived: the realtime
// block, the whole harmonic table and block A (the transformer ratios, the wiring
// mode, the meter's address and rate). Entry k of each holds the block's k-th register.
struct CheckInput
{
    std::array<int32_t, PageReads::kRealtime.count> realtime{};
    std::array<int32_t, HarmonicTable::kSize> harmonics{};
    std::array<int32_t, PageReads::BlockA::kBlock.count> blockA{};
};
