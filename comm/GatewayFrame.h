#pragma once

#include <cstdint>
#include <vector>

// The replies of a Modbus TCP gateway turned back into the RTU frames the codec checks: the
// MBAP header (comm/MbapFrame.h) gives way to the CRC, so the reply checks are those of the
// serial line. Plain C++, no sockets.
namespace GatewayFrame {

// Reads the replies of a Modbus TCP connection. Only the reply to the request last
// expected passes: one whose transaction id, unit id or function (normal or exception)
// differs, a late reply to an earlier request among them, is dropped.
class CReplyReader
{
public:
    // The request now in flight; whatever arrived before is forgotten.
    void Expect(uint16_t transactionId, uint8_t unit, uint8_t function);
    // Takes received bytes; appends the RTU form of the reply to rtu once it is whole.
    // False when the stream cannot be MBAP (its framing is lost: the connection should go).
    bool Take(const uint8_t* bytes, int count, std::vector<uint8_t>& rtu);

private:
    bool Answers(uint16_t transactionId, uint8_t unit, uint8_t function) const;

    std::vector<uint8_t> m_pending;
    uint16_t m_transactionId = 0;
    uint8_t m_unit = 0;
    uint8_t m_function = 0;
    bool m_answered = true;
};

} // namespace GatewayFrame
