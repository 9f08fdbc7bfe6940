#include "comm/ModbusFrame.h"

namespace ModbusFrame {

uint16_t Crc16(const uint8_t* bytes, std::size_t length)
{
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

// The low order byte of the CRC comes first in an RTU frame.
int AppendCrc(uint8_t* frame, int length)
{
    const uint16_t crc = Crc16(frame, static_cast<std::size_t>(length));
    frame[length] = static_cast<uint8_t>(crc & 0xFF);
    frame[length + 1] = static_cast<uint8_t>(crc >> 8);
    return length + 2;
}

void AppendCrc(std::vector<uint8_t>& frame)
{
    const std::size_t length = frame.size();
    frame.resize(length + 2);
    AppendCrc(frame.data(), static_cast<int>(length));
}

std::vector<uint8_t> WithCrc(std::vector<uint8_t> frame)
{
    AppendCrc(frame);
    return frame;
}

bool CrcMatches(const uint8_t* frame, int length)
{
    const uint16_t crc = Crc16(frame, static_cast<std::size_t>(length));
    return frame[length] == (crc & 0xFF) && frame[length + 1] == (crc >> 8);
}

bool HasValidCrc(const std::vector<uint8_t>& frame)
{
    return frame.size() >= 4 && CrcMatches(frame.data(), static_cast<int>(frame.size() - 2));
}

int ExpectedReplyLength(const uint8_t* request, int requestLength)
{
    // Slave address, function code, then a start address and a count or value of two bytes each.
    if (requestLength < 6)
        return 0;
    switch (request[1]) {
    case kReadHoldingRegisters:
        return 5 + 2 * (request[4] * 256 + request[5]);
    case kWriteSingleCoil:
    case kWriteMultipleRegisters:
        return 8;
    default:
        return 0;
    }
}

bool IsReplyComplete(const uint8_t* request, int requestLength, const uint8_t* reply, int received)
{
    if (received >= kExceptionReplyLength && (reply[1] & kExceptionFlag))
        return true;
    const int expected = ExpectedReplyLength(request, requestLength);
    return expected > 0 && received >= expected;
}

} // namespace ModbusFrame
