#include "comm/GatewayFrame.h"

#include "comm/MbapFrame.h"
#include "comm/ModbusFrame.h"

namespace GatewayFrame {

void CReplyReader::Expect(uint16_t transactionId, uint8_t unit, uint8_t function)
{
    m_pending.clear();
    m_transactionId = transactionId;
    m_unit = unit;
    m_function = function;
    m_answered = false;
}

bool CReplyReader::Answers(uint16_t transactionId, uint8_t unit, uint8_t function) const
{
    return !m_answered && transactionId == m_transactionId && unit == m_unit &&
           (function == m_function || function == (m_function | ModbusFrame::kExceptionFlag));
}

bool CReplyReader::Take(const uint8_t* bytes, int count, std::vector<uint8_t>& rtu)
{
    m_pending.insert(m_pending.end(), bytes, bytes + count);
    for (;;) {
        const Mbap::Taken taken = Mbap::Take(m_pending.data(), m_pending.size());
        if (taken.head == Mbap::Head::Garbage || (taken.length > 0 && taken.protocol != 0)) {
            m_pending.clear();
            return false;
        }
        if (taken.head == Mbap::Head::NeedMore)
            return true;
        if (Answers(taken.transaction, taken.unit, m_pending[Mbap::kHeaderLength])) {
            const std::vector<uint8_t> reply = Mbap::ToRtu(m_pending.data(), taken.length);
            rtu.insert(rtu.end(), reply.begin(), reply.end());
            m_answered = true;
        }
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(taken.length));
    }
}

} // namespace GatewayFrame
