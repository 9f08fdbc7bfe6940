#pragma once

#include <cstdint>

// Facts of Modbus RTU frames that whoever builds, sends or waits for a frame relies on.
namespace ModbusFrame {

// The function codes the tool sends.
enum Function : uint8_t
{
    kReadHoldingRegisters = 3,
    kWriteSingleCoil = 5,
    kWriteMultipleRegisters = 16,
};

// A slave that refuses a request answers with the function code's high bit set.
inline constexpr uint8_t kExceptionFlag = 0x80;
// Slave address, function code, exception code and two CRC bytes.
inline constexpr int kExceptionReplyLength = 5;

// Length of the normal reply to a request frame: 5 + 2n for a read of n registers
// (address, function, byte count, data, CRC), 8 for the echo that answers a write
// of registers or of a coil; 0 for a frame too short to tell or of another function.
int ExpectedReplyLength(const uint8_t* request, int requestLength);

// Whether the first received bytes of reply make a whole reply to request: its
// normal reply, or an exception reply.
bool IsReplyComplete(const uint8_t* request, int requestLength, const uint8_t* reply, int received);

} // namespace ModbusFrame
