#pragma once

#include "sim/ModbusSlave.h"

#include <cstddef>
#include <cstdint>

// Modbus TCP framing: a seven-byte header (transaction id, protocol id 0, the length of
// what follows, the unit id, all words high byte first) and the PDU, without a CRC.
namespace Mbap {

inline constexpr std::size_t kHeaderLength = 7;
// The length field counts the unit id and the PDU: a function code at least, 253 PDU bytes at most.
inline constexpr int kShortestLength = 2;
inline constexpr int kLongestLength = 254;

enum class Head
{
    NeedMore, // the header or the PDU is not all there yet
    Request,  // a whole frame of protocol 0
    Foreign,  // a whole frame of another protocol: dropped
    Garbage,  // a length no frame has: the stream cannot be followed any further
};

struct Taken
{
    Head head = Head::NeedMore;
    uint16_t transaction = 0;
    uint8_t unit = 0;
    Frame pdu;
    std::size_t length = 0; // bytes of the stream the frame takes
};

// What the start of the received stream holds.
Taken Take(const Frame& stream);

// The RTU frame a gateway puts on the serial line for a request: unit id, PDU and CRC.
Frame ToRtu(uint8_t unit, const Frame& pdu);
// The Modbus TCP reply to the transaction from an RTU reply with a good CRC: its address
// becomes the unit id, its CRC is left off.
Frame FromRtu(uint16_t transaction, const Frame& rtuReply);

} // namespace Mbap
