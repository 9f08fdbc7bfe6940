#pragma once

#include "comm/ModbusFrame.h"

#include <array>
#include <cstdint>

// The meter's holding registers and relay coils, laid out as the register map
// of the meter: only the documented ranges exist, and only the clock and the
// settings can be written over the line. Not thread-safe; CSimMeter guards it.
class CRegisterBank
{
public:
    static constexpr int kAddressSpace = 1050;
    static constexpr int kCoilCount = RegisterMap::kRelayCoilCount;

    // True when every register of start .. start + count - 1 is on the map.
    static bool IsMapped(int start, int count);
    // True when every register of the range may be written by a master.
    static bool IsWritable(int start, int count);

    uint16_t Get(int address) const { return m_registers.at(static_cast<std::size_t>(address)); }
    void Set(int address, uint16_t value) { m_registers.at(static_cast<std::size_t>(address)) = value; }
    int32_t GetS32(int address) const;
    // 32-bit values keep their low word at the lower address.
    void SetS32(int address, int32_t value);
    uint32_t GetU32(int address) const;
    void SetU32(int address, uint32_t value);

    bool Coil(int coil) const { return m_coils.at(static_cast<std::size_t>(coil)); }
    void SetCoil(int coil, bool closed) { m_coils.at(static_cast<std::size_t>(coil)) = closed; }

private:
    std::array<uint16_t, kAddressSpace> m_registers{};
    std::array<bool, kCoilCount> m_coils{};
};
