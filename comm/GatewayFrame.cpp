#include "comm/GatewayFrame.h"

#include "comm/ModbusFrame.h"

namespace GatewayFrame {
namespace {
// An RTU frame is at most 256 bytes: address, a PDU of up to 253 and the CRC.
constexpr int kLongestLength = 254; // unit id and PDU

uint16_t BigEndian(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

void PutBigEndian(std::vector<uint8_t>& frame, int value)
{
    frame.push_back(static_cast<uint8_t>(value >> 8));
    frame.push_back(static_cast<uint8_t>(value));
}
} // namespace

std::vector<uint8_t> ToMbap(const uint8_t* rtu, int length, uint16_t transactionId)
{
    const int unitAndPdu = length - 2;
    std::vector<uint8_t> frame;
    frame.reserve(static_cast<std::size_t>(6 + unitAndPdu));
    PutBigEndian(frame, transactionId);
    PutBigEndian(frame, 0);
    PutBigEndian(frame, unitAndPdu);
    frame.insert(frame.end(), rtu, rtu + unitAndPdu);
    return frame;
}

void CReplyReader::Expect(uint16_t transactionId, uint8_t unit, uint8_t function)
{
    m_pending.clear();
    m_transactionId = transactionId;
    m_unit = unit;
    m_function = function;
    m_answered = false;
}

bool CReplyReader::Answers(const uint8_t* frame) const
{
    const uint8_t function = frame[7];
    return !m_answered && BigEndian(frame) == m_transactionId && frame[6] == m_unit &&
           (function == m_function || function == (m_function | ModbusFrame::kExceptionFlag));
}

bool CReplyReader::Take(const uint8_t* bytes, int count, std::vector<uint8_t>& rtu)
{
    m_pending.insert(m_pending.end(), bytes, bytes + count);
    while (static_cast<int>(m_pending.size()) >= kHeaderLength) {
        const int unitAndPdu = BigEndian(&m_pending[4]);
        if (BigEndian(&m_pending[2]) != 0 || unitAndPdu < 2 || unitAndPdu > kLongestLength) {
            m_pending.clear();
            return false;
        }
        const auto whole = static_cast<std::size_t>(6 + unitAndPdu);
        if (m_pending.size() < whole)
            return true;
        if (Answers(m_pending.data())) {
            std::vector<uint8_t> reply(m_pending.begin() + 6, m_pending.begin() + static_cast<long>(whole));
            ModbusFrame::AppendCrc(reply);
            rtu.insert(rtu.end(), reply.begin(), reply.end());
            m_answered = true;
        }
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(whole));
    }
    return true;
}

} // namespace GatewayFrame
