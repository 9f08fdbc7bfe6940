#include "comm/GatewayFrame.h"

#include "comm/ConverterEcho.h"
#include "comm/MbapFrame.h"
#include "comm/ModbusFrame.h"

namespace GatewayFrame {

std::vector<uint8_t> CModbusTcpFraming::Send(const uint8_t* request, int length)
{
    ++m_transactionId;
    m_unit = request[0];
    m_function = request[1];
    m_answered = false;
    return Mbap::FromRtu(m_transactionId, request, static_cast<std::size_t>(length));
}

bool CModbusTcpFraming::Answers(uint16_t transactionId, uint8_t unit, uint8_t function) const
{
    return !m_answered && transactionId == m_transactionId && unit == m_unit &&
           (function == m_function || function == (m_function | ModbusFrame::kExceptionFlag));
}

// The frames are walked in place and what they took is cut off once at the end, so a read
// of many frames costs what it holds, not that times the number of frames.
Taken CModbusTcpFraming::Take(const uint8_t* bytes, std::size_t count, std::vector<uint8_t>& rtu)
{
    m_partial.insert(m_partial.end(), bytes, bytes + count);
    Taken taken;
    std::size_t at = 0;
    for (;;) {
        const uint8_t* frame = m_partial.data() + at;
        const Mbap::Taken found = Mbap::Take(frame, m_partial.size() - at);
        if (found.head == Mbap::Head::Garbage || (found.length > 0 && found.protocol != 0)) {
            taken.dropped += m_partial.size() - at;
            taken.lost = true;
            m_partial.clear();
            return taken;
        }
        if (found.head == Mbap::Head::NeedMore)
            break;
        if (Answers(found.transaction, found.unit, frame[Mbap::kHeaderLength])) {
            const std::vector<uint8_t> reply = Mbap::ToRtu(frame, found.length);
            rtu.insert(rtu.end(), reply.begin(), reply.end());
            m_answered = true;
        } else {
            taken.dropped += found.length;
        }
        at += found.length;
    }
    m_partial.erase(m_partial.begin(), m_partial.begin() + static_cast<std::ptrdiff_t>(at));
    return taken;
}

std::vector<uint8_t> CRtuFraming::Send(const uint8_t* request, int length)
{
    m_request.assign(request, request + length);
    m_reply.clear();
    m_waiting = true;
    return m_request;
}

// Told as the transaction tells it, so the line stops passing bytes where the wait ends.
bool CRtuFraming::ReplyWhole() const
{
    const int requestLength = static_cast<int>(m_request.size());
    const int received = static_cast<int>(m_reply.size());
    if (m_reply.size() >= m_request.size() + ModbusFrame::kLongestFrameLength)
        return true;
    if (ConverterEcho::MayBeArriving(m_request.data(), requestLength, m_reply.data(), received))
        return false;
    const int echo = ConverterEcho::Length(m_request.data(), requestLength, m_reply.data(), received, false);
    return ModbusFrame::IsReplyComplete(m_request.data(), requestLength, m_reply.data() + echo,
                                        received - echo);
}

Taken CRtuFraming::Take(const uint8_t* bytes, std::size_t count, std::vector<uint8_t>& rtu)
{
    std::size_t passed = 0;
    while (m_waiting && passed < count) {
        m_reply.push_back(bytes[passed++]);
        m_waiting = !ReplyWhole();
    }
    rtu.insert(rtu.end(), bytes, bytes + passed);
    return {count - passed, false};
}

} // namespace GatewayFrame
