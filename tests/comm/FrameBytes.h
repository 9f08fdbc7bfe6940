#pragma once

#include "comm/ModbusRtu.h"

#include <cstdint>
#include <cstdio>
#include <vector>

// Frames in tests are written as the bytes on the line: Bytes("01 03 00 00 00 01 84 0a").
// Plain C++, so the Windows test runner shares it.
inline std::vector<uint8_t> Bytes(const char* hex)
{
    std::vector<uint8_t> bytes;
    unsigned byte = 0;
    for (int used = 0; std::sscanf(hex, " %2x%n", &byte, &used) == 1; hex += used)
        bytes.push_back(static_cast<uint8_t>(byte));
    return bytes;
}

// The same frame with its CRC appended, low byte first.
using ModbusFrame::WithCrc;
