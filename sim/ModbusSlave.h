#pragma once

#include <cstdint>
#include <optional>
#include <vector>

using Frame = std::vector<uint8_t>;

// Standard Modbus exception codes the meter answers with.
enum class ModbusException : uint8_t
{
    IllegalFunction = 1,
    IllegalDataAddress = 2,
    IllegalDataValue = 3,
    SlaveDeviceFailure = 4,
    GatewayTargetFailed = 0x0B, // a gateway's: the device behind it did not respond
};

// What the slave protocol needs from the meter behind it. Every call happens
// inside one request, so an implementation can hold its lock around Answer.
class IRegisterAccess
{
public:
    virtual ~IRegisterAccess() = default;
    virtual uint16_t ReadRegister(int address) = 0;
    // Checks a whole write before any register changes, so that a rejected
    // write leaves the meter as it was.
    virtual bool AcceptsWrite(int start, const std::vector<uint16_t>& values) = 0;
    virtual void WriteRegisters(int start, const std::vector<uint16_t>& values) = 0;
    virtual void WriteCoil(int coil, bool closed) = 0;
};

// One request as read from the line, decoded as far as its function allows.
struct RequestInfo
{
    int slave = -1;
    int function = -1;
    int address = -1;
    int count = 0;                // registers of a read or write, 1 for a coil
    std::vector<uint16_t> values; // registers written, or the coil value
};

// The Modbus RTU slave: answers function codes 3, 16 and 5 from a register
// access object, with the standard exception replies for anything else.
class CModbusSlave
{
public:
    // The reply to a whole request frame, or nothing when the frame is broken,
    // addressed to another slave, or a broadcast (address 0, which is carried
    // out without a reply). For a broadcast write, withheld (when given) receives
    // the reply that does not go out, so a log can tell whether it was carried out.
    static std::optional<Frame> Answer(const Frame& request, int ownAddress, IRegisterAccess& meter,
                                       Frame* withheld = nullptr);

    static RequestInfo Decode(const Frame& request);
    static Frame ExceptionReply(int slave, int function, ModbusException code);

    // Length of a request frame of this function as far as the first bytes
    // tell it; 0 while more bytes are needed, -1 for a function whose length
    // the slave cannot know (its end is found by the silence on the line).
    static int ExpectedRequestLength(const Frame& head);
};
