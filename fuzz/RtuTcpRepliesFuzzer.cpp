// The gateway line's RTU over TCP framing, fed an arbitrary stream in arbitrary pieces between
// arbitrary requests: nothing passes before the first request; after one, what passes is
// what the gateway sent first, byte for byte, and it stops exactly where the transaction's
// wait for the reply ends, at an echo and the longest frame at most; every byte is passed or
// dropped, none is held, and the pieces change nothing.

#include "FuzzCheck.h"
#include "GatewayScript.h"
#include "comm/ConverterEcho.h"

#include <algorithm>

namespace {
constexpr std::size_t kLongestRtuFrame = ModbusFrame::kLongestFrameLength;

class RtuCheck
{
public:
    void Sent(const std::vector<uint8_t>& rtu, const std::vector<uint8_t>& wire)
    {
        FUZZ_CHECK(wire == rtu);
        m_request = rtu;
        m_sent = true;
        m_since.clear();
    }

    void Took(const std::vector<uint8_t>& piece, std::size_t held, const GatewayFrame::Taken& taken,
              const std::vector<uint8_t>& reply, std::size_t before, std::size_t heldAfter)
    {
        FUZZ_CHECK(held == 0 && heldAfter == 0 && !taken.lost);
        FUZZ_CHECK(reply.size() - before + taken.dropped == piece.size());
        if (!m_sent) {
            FUZZ_CHECK(reply.empty());
            return;
        }
        m_since.insert(m_since.end(), piece.begin(), piece.end());
        FUZZ_CHECK(reply.size() <= m_since.size() && std::equal(reply.begin(), reply.end(), m_since.begin()));
        FUZZ_CHECK(reply.size() <= m_request.size() + kLongestRtuFrame);
        if (reply.size() == m_since.size())
            return;
        // Something was dropped: the reply had ended, and no shorter part of it had.
        FUZZ_CHECK(WaitEnds(reply, reply.size()));
        for (std::size_t shorter = 0; shorter < reply.size(); ++shorter)
            FUZZ_CHECK(!WaitEnds(reply, shorter));
    }

private:
    // The transaction's rule: a whole reply after the converter's copy of the request, if one
    // came first, or as much as the line passes at most.
    bool WaitEnds(const std::vector<uint8_t>& reply, std::size_t count) const
    {
        if (count >= m_request.size() + kLongestRtuFrame)
            return true;
        const int length = static_cast<int>(m_request.size());
        const int received = static_cast<int>(count);
        if (ConverterEcho::MayBeArriving(m_request.data(), length, reply.data(), received))
            return false;
        const int echo = ConverterEcho::Length(m_request.data(), length, reply.data(), received, false);
        return ModbusFrame::IsReplyComplete(m_request.data(), length, reply.data() + echo, received - echo);
    }

    std::vector<uint8_t> m_request;
    std::vector<uint8_t> m_since; // what the gateway sent since the request
    bool m_sent = false;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    RtuCheck check;
    PlayInAnyPieces<GatewayFrame::CRtuFraming>(input, check);
    return 0;
}
