#pragma once

#include "comm/ModbusFrame.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Sizes of the shared transaction buffers.
inline constexpr int kRequestBufferSize = 250;
inline constexpr int kReplyBufferSize = 250;
inline constexpr int kRegisterBlockSize = 100;

// Modbus RTU codec: builds the three request frames the tool sends and checks
// the replies. It holds no state; the buffers are passed in.
class CModbusRtu
{
public:
    virtual ~CModbusRtu() = default;

    // Each builder returns the frame length.
    int BuildReadRegisters(uint8_t* request, int slave, int start, int count) const;
    int BuildWriteRegisters(uint8_t* request, int slave, int start, int count, const int32_t* values) const;
    int BuildWriteCoil(uint8_t* request, int slave, int coil, int value) const;

    // Passes a function-code-3 reply and decodes its registers, high byte
    // first, into registers[0..]; on a failure registers are left untouched.
    // The reply buffer must hold kReplyBufferSize bytes.
    bool CheckReadReply(const uint8_t* reply, int32_t* registers) const;
    // Passes the meter's confirmation of a write: the request's slave, function code and
    // first four data bytes (start and count of function 16, coil and value of function 5)
    // under their own good CRC. Anything else, an exception reply or a late answer to an
    // earlier write included, confirms nothing.
    bool CheckWriteReply(const uint8_t* reply, const uint8_t* request) const;
};

// The shared state of every transaction (one request, one reply and one decoded
// block at a time; all of it is used from the user-interface thread only).
extern CModbusRtu ModbusRtu;
extern uint8_t RequestBuffer[kRequestBufferSize];
extern uint8_t ReplyBuffer[kReplyBufferSize];
extern int32_t RegisterBlock[kRegisterBlockSize];
extern int32_t SlaveId;
extern int32_t CtRatio;
extern int32_t PtRatio;

// The current- and voltage-transformer ratios, whole numbers as the meter's registers give them.
struct TransformerRatios
{
    int32_t ct = 0;
    int32_t pt = 0;
};
// The ratios of registers 1000 to 1004 (CT primary and secondary, PT primary low and high word,
// PT secondary), each primary divided by its secondary and truncated toward zero; nothing when a
// secondary is 0, which gives no ratio.
std::optional<TransformerRatios> RatiosOfRegisters(std::span<const int32_t, 5> registers);
