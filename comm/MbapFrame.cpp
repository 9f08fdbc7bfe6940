#include "comm/MbapFrame.h"

#include "comm/ModbusFrame.h"

namespace Mbap {
namespace {
constexpr std::size_t kCrcLength = 2;
// The unit id is the last byte of the header; the length field counts it.
constexpr std::size_t kUnitAt = kHeaderLength - 1;

int WordAt(const uint8_t* stream, std::size_t at)
{
    return stream[at] * 256 + stream[at + 1];
}

void PutWord(std::vector<uint8_t>& frame, int value)
{
    frame.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    frame.push_back(static_cast<uint8_t>(value & 0xFF));
}
} // namespace

Taken Take(const uint8_t* stream, std::size_t size)
{
    Taken taken;
    if (size < kHeaderLength)
        return taken;
    const int length = WordAt(stream, 4);
    if (length < kShortestLength || length > kLongestLength) {
        taken.head = Head::Garbage;
        return taken;
    }
    taken.transaction = static_cast<uint16_t>(WordAt(stream, 0));
    taken.protocol = static_cast<uint16_t>(WordAt(stream, 2));
    taken.unit = stream[kUnitAt];
    taken.length = kUnitAt + static_cast<std::size_t>(length);
    if (size >= taken.length)
        taken.head = Head::Whole;
    return taken;
}

std::vector<uint8_t> FromRtu(uint16_t transaction, const uint8_t* rtu, std::size_t length)
{
    const std::size_t unitAndPdu = length - kCrcLength;
    std::vector<uint8_t> frame;
    frame.reserve(kUnitAt + unitAndPdu);
    PutWord(frame, transaction);
    PutWord(frame, 0);
    PutWord(frame, static_cast<int>(unitAndPdu));
    frame.insert(frame.end(), rtu, rtu + unitAndPdu);
    return frame;
}

std::vector<uint8_t> ToRtu(const uint8_t* frame, std::size_t length)
{
    return ModbusFrame::WithCrc({frame + kUnitAt, frame + length});
}

} // namespace Mbap
