// The gateway line's Modbus TCP framing, fed an arbitrary stream in arbitrary pieces between
// arbitrary requests: only the reply of the request in flight passes, once, as the RTU frame
// of the unit id and PDU the gateway sent, with a good CRC; every byte it is given is passed,
// dropped or held, it never holds more than one frame, and the pieces change nothing.

#include "FuzzCheck.h"
#include "GatewayScript.h"
#include "comm/MbapFrame.h"

#include <algorithm>

namespace {
constexpr std::size_t kLongestFrame = Mbap::kHeaderLength - 1 + Mbap::kLongestLength;
constexpr std::size_t kHeaderAndCrcDifference = Mbap::kHeaderLength - 1 - 2;

class ModbusTcpCheck
{
public:
    void Sent(const std::vector<uint8_t>& rtu, const std::vector<uint8_t>& mbap)
    {
        // The request loses its CRC and gains a header: a rising transaction id, protocol 0,
        // the length of the unit id and PDU.
        FUZZ_CHECK(mbap.size() == rtu.size() + kHeaderAndCrcDifference);
        const uint16_t transaction = static_cast<uint16_t>(mbap[0] << 8 | mbap[1]);
        FUZZ_CHECK(!m_sent || transaction == static_cast<uint16_t>(m_transaction + 1));
        FUZZ_CHECK(mbap[2] == 0 && mbap[3] == 0 &&
                   mbap[4] * 256 + mbap[5] == static_cast<int>(rtu.size() - 2));
        FUZZ_CHECK(std::equal(rtu.begin(), rtu.end() - 2, mbap.begin() + Mbap::kHeaderLength - 1));
        if (m_lost)
            m_stream.clear();
        m_lost = false;
        m_sent = true;
        m_transaction = transaction;
        m_request = rtu;
        m_passes = 0;
    }

    void Took(const std::vector<uint8_t>& piece, std::size_t held, const GatewayFrame::Taken& taken,
              const std::vector<uint8_t>& reply, std::size_t before, std::size_t heldAfter)
    {
        const std::size_t start = m_stream.size();
        m_stream.insert(m_stream.end(), piece.begin(), piece.end());
        const std::size_t passed = reply.size() - before;
        const std::size_t framed = passed ? passed + kHeaderAndCrcDifference : 0;
        FUZZ_CHECK(held + piece.size() == heldAfter + taken.dropped + framed);
        FUZZ_CHECK(heldAfter < kLongestFrame);
        FUZZ_CHECK(!taken.lost || heldAfter == 0);
        m_lost = taken.lost;
        if (passed > 0)
            CheckReply(reply, start);
    }

private:
    void CheckReply(const std::vector<uint8_t>& reply, std::size_t start)
    {
        FUZZ_CHECK(m_sent && ++m_passes == 1);
        FUZZ_CHECK(reply.size() >= 4 &&
                   ModbusFrame::CrcMatches(reply.data(), static_cast<int>(reply.size() - 2)));
        FUZZ_CHECK(reply[0] == m_request[0]);
        FUZZ_CHECK(reply[1] == m_request[1] || reply[1] == (m_request[1] | ModbusFrame::kExceptionFlag));
        // The frame the gateway sent for this transaction, whole in the piece just taken.
        const std::size_t unitAndPdu = reply.size() - 2;
        std::vector<uint8_t> frame{
            static_cast<uint8_t>(m_transaction >> 8), static_cast<uint8_t>(m_transaction), 0, 0,
            static_cast<uint8_t>(unitAndPdu >> 8),    static_cast<uint8_t>(unitAndPdu)};
        frame.insert(frame.end(), reply.begin(), reply.end() - 2);
        const auto from =
            m_stream.begin() + static_cast<std::ptrdiff_t>(start - std::min(start, frame.size() - 1));
        FUZZ_CHECK(std::search(from, m_stream.end(), frame.begin(), frame.end()) != m_stream.end());
    }

    std::vector<uint8_t> m_request;
    std::vector<uint8_t> m_stream; // what the gateway sent on this connection
    uint16_t m_transaction = 0;
    bool m_sent = false;
    bool m_lost = false;
    int m_passes = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    ModbusTcpCheck check;
    PlayInAnyPieces<GatewayFrame::CModbusTcpFraming>(input, check);
    return 0;
}
