#include "sim/MbapFrame.h"

#include "comm/ModbusFrame.h"

namespace {
constexpr std::size_t kCrcLength = 2;

int WordAt(const Frame& stream, std::size_t at)
{
    return stream[at] * 256 + stream[at + 1];
}

void PutWord(Frame& frame, int value)
{
    frame.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    frame.push_back(static_cast<uint8_t>(value & 0xFF));
}
} // namespace

namespace Mbap {

Taken Take(const Frame& stream)
{
    Taken taken;
    if (stream.size() < kHeaderLength)
        return taken;
    const int length = WordAt(stream, 4);
    if (length < kShortestLength || length > kLongestLength) {
        taken.head = Head::Garbage;
        return taken;
    }
    taken.length = kHeaderLength - 1 + static_cast<std::size_t>(length);
    if (stream.size() < taken.length)
        return taken;
    taken.head = WordAt(stream, 2) == 0 ? Head::Request : Head::Foreign;
    taken.transaction = static_cast<uint16_t>(WordAt(stream, 0));
    taken.unit = stream[6];
    taken.pdu.assign(stream.begin() + kHeaderLength,
                     stream.begin() + static_cast<std::ptrdiff_t>(taken.length));
    return taken;
}

Frame ToRtu(uint8_t unit, const Frame& pdu)
{
    Frame rtu{unit};
    rtu.insert(rtu.end(), pdu.begin(), pdu.end());
    return ModbusFrame::WithCrc(std::move(rtu));
}

Frame FromRtu(uint16_t transaction, const Frame& rtuReply)
{
    Frame reply;
    PutWord(reply, transaction);
    PutWord(reply, 0);
    PutWord(reply, static_cast<int>(rtuReply.size() - kCrcLength));
    reply.insert(reply.end(), rtuReply.begin(), rtuReply.end() - kCrcLength);
    return reply;
}

} // namespace Mbap
