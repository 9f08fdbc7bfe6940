#pragma once

#include "comm/ModbusRtu.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

// Frames in tests are written as the bytes on the line: Bytes("01 03 00 00 00 01 84 0a").
inline std::vector<uint8_t> Bytes(const char* hex)
{
    const QByteArray raw = QByteArray::fromHex(hex);
    return {raw.begin(), raw.end()};
}

// The same frame with its CRC appended, low byte first.
using ModbusFrame::WithCrc;
