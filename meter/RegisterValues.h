#pragma once

#include "comm/ModbusRtu.h"

#include <cstdint>

// Values built from the decoded registers of the last read: entry k of
// RegisterBlock holds register start + k. 32-bit values keep their low word
// at the lower address.
namespace Registers {

inline int U16(int k)
{
    return RegisterBlock[k] & 0xFFFF;
}

inline int S16(int k)
{
    return static_cast<int16_t>(static_cast<uint16_t>(RegisterBlock[k]));
}

inline uint32_t U32(int k)
{
    return static_cast<uint32_t>(U16(k)) + 65536u * static_cast<uint32_t>(U16(k + 1));
}

inline int32_t S32(int k)
{
    return static_cast<int32_t>(U32(k));
}

} // namespace Registers
