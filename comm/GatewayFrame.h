#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How a gateway connection frames the RTU frames the codec builds and checks. Only the reply
// to the request in flight is passed on, as the RTU frame the serial line would have carried,
// so the reply checks are those of the serial line; whatever else arrives is dropped as it
// comes and counted, so a chatty gateway never makes the tool hold more than one reply.
// Plain C++, no sockets.
namespace GatewayFrame {

// What a framing made of the bytes it was given.
struct Taken
{
    std::size_t dropped = 0; // bytes that answer no request in flight
    bool lost = false;       // the stream cannot be followed any further: the connection should go
};

class CFraming
{
public:
    virtual ~CFraming() = default;
    // The request as it goes to the gateway; from now on only its reply passes.
    virtual std::vector<uint8_t> Send(const uint8_t* request, int length) = 0;
    // Takes received bytes, in whatever pieces they came; appends those of the reply to rtu.
    virtual Taken Take(const uint8_t* bytes, std::size_t count, std::vector<uint8_t>& rtu) = 0;
    // A new connection: nothing of the old stream is held any longer.
    virtual void Restart() = 0;
    // Bytes held between calls (a frame not yet whole): never more than one frame.
    virtual std::size_t Held() const = 0;
};

// Modbus TCP: each request gets the MBAP header with a rising transaction id. The framing
// runs on from one request to the next, so a frame that straddles a request is still found;
// a frame whose transaction id, unit id or function (normal or exception) differs, a late
// reply to an earlier request among them, is dropped, and the reply passes only once.
class CModbusTcpFraming final : public CFraming
{
public:
    std::vector<uint8_t> Send(const uint8_t* request, int length) override;
    Taken Take(const uint8_t* bytes, std::size_t count, std::vector<uint8_t>& rtu) override;
    void Restart() override { m_partial.clear(); }
    std::size_t Held() const override { return m_partial.size(); }

private:
    bool Answers(uint16_t transactionId, uint8_t unit, uint8_t function) const;

    std::vector<uint8_t> m_partial;
    uint16_t m_transactionId = 0;
    uint8_t m_unit = 0;
    uint8_t m_function = 0;
    bool m_answered = true;
};

// RTU over TCP: the frames go as they are. After a request, what arrives passes as it came
// until it makes a whole reply (after a converter's copy of the request, if one comes first)
// or the longest frame there is after such a copy; anything after that, or before the first
// request, is dropped.
class CRtuFraming final : public CFraming
{
public:
    std::vector<uint8_t> Send(const uint8_t* request, int length) override;
    Taken Take(const uint8_t* bytes, std::size_t count, std::vector<uint8_t>& rtu) override;
    void Restart() override { m_waiting = false; }
    std::size_t Held() const override { return 0; }

private:
    bool ReplyWhole() const;

    std::vector<uint8_t> m_request;
    std::vector<uint8_t> m_reply; // what passed since the request, to tell when it is whole
    bool m_waiting = false;
};

} // namespace GatewayFrame
