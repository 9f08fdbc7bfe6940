#include "comm/ModbusFrame.h"

namespace ModbusFrame {

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
