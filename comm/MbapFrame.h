#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Modbus TCP framing: a seven-byte MBAP header (transaction id, protocol id 0, the length of
// what follows, the unit id, words high byte first) and the PDU, without a CRC. The tool's
// gateway line and the simulated gateway both frame with it. Plain C++, no sockets.
namespace Mbap {

inline constexpr std::size_t kHeaderLength = 7;
// The length field counts the unit id and the PDU: a function code at least, 253 PDU bytes at most.
inline constexpr int kShortestLength = 2;
inline constexpr int kLongestLength = 254;

enum class Head
{
    NeedMore, // the header or the PDU is not all there yet
    Whole,    // a whole frame, of whatever protocol its header names
    Garbage,  // a length no frame has: the stream cannot be followed any further
};

// The header's fields are there as soon as the header is, before the whole frame.
struct Taken
{
    Head head = Head::NeedMore;
    uint16_t transaction = 0;
    uint16_t protocol = 0;
    uint8_t unit = 0;
    std::size_t length = 0; // bytes of the stream the frame takes, header included; 0 before the header
};

// What the start of a received stream holds.
Taken Take(const uint8_t* stream, std::size_t size);

// The Modbus TCP frame of an RTU frame (address, PDU, CRC) for a transaction: the address
// becomes the unit id, the CRC is left off.
std::vector<uint8_t> FromRtu(uint16_t transaction, const uint8_t* rtu, std::size_t length);
// The RTU frame of a whole Modbus TCP frame (as Take found it): unit id, PDU and CRC.
std::vector<uint8_t> ToRtu(const uint8_t* frame, std::size_t length);

} // namespace Mbap
