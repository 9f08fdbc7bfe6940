#pragma once

#include "sim/RequestLog.h"
#include "sim/ServingThread.h"
#include "sim/TcpListener.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CSimServer;

enum class GatewayMode
{
    ModbusTcp,  // MBAP header and PDU, no CRC
    RtuOverTcp, // the RTU frames as they are, CRC and all
};

// What the gateway does with a request for a unit id no meter on its line has (and not 0).
enum class UnknownUnits
{
    Silent,    // nothing, as the meter behind it would
    Exception, // exception 0x0B, gateway target device failed to respond
};

// A serial-to-Ethernet gateway in front of the simulated meters: serves the meters on the
// line of a pseudo-terminal server, with that server's faults, timing, cable and request
// log, to one TCP client at a time, on its own thread. While a client is connected nobody else
// can connect; when it leaves, the gateway listens again on the same port.
class CSimGateway
{
public:
    CSimGateway(CSimServer& line, GatewayMode mode);
    ~CSimGateway();
    CSimGateway(const CSimGateway&) = delete;
    CSimGateway& operator=(const CSimGateway&) = delete;

    // Listens on host (a dotted IPv4 address) and port (0: a free one) and starts serving;
    // false with Error() set when the system refuses.
    bool Start(const std::string& host = "127.0.0.1", int port = 0);
    // Stops serving promptly, closing the client's connection.
    void Stop();
    bool IsRunning() const { return m_serving.IsRunning(); }
    int Port() const { return m_port; }
    GatewayMode Mode() const { return m_mode; }
    // tcp://HOST:PORT or rtu-tcp://HOST:PORT, as a master names the port.
    std::string Url() const;
    const std::string& Error() const { return m_listener.Error(); }
    bool HasClient() const { return m_hasClient; }

    UnknownUnits Unknown() const { return m_unknown; }
    void SetUnknownUnits(UnknownUnits unknown) { m_unknown = unknown; }

    // Reads HOST:PORT, :PORT or PORT (the host then 127.0.0.1); false for anything else.
    static bool ParseEndpoint(const std::string& text, std::string& host, int& port);

private:
    using Clock = std::chrono::steady_clock;

    // A reply waiting for its time; replies go out in order of their times, so a late
    // reply can follow the answer to a later request.
    struct Outgoing
    {
        Clock::time_point due;
        Frame bytes;
    };

    void Serve();
    std::optional<Clock::time_point> NextDue() const;
    void TakeClient();
    void DropClient();
    void ReadClient(Clock::time_point now);
    void TakeRtuFrames();
    void TakeMbapFrames();
    void ProcessUnended();
    void SendDue(Clock::time_point now);
    void Process(const Frame& request, std::optional<uint16_t> transaction);
    std::optional<Frame> Answer(RequestRecord& record);
    std::optional<Frame> Forwarded(const Frame& reply, const Frame& request) const;
    bool IsForUnknownUnit(const Frame& request) const;
    void Ignore(const Frame& bytes);

    CSimServer& m_line;
    const GatewayMode m_mode;
    std::atomic<UnknownUnits> m_unknown{UnknownUnits::Silent};
    std::string m_host;
    int m_port = 0;
    CTcpListener m_listener;
    std::atomic<bool> m_hasClient{false};
    CServingThread m_serving;

    // Owned by the serving thread only.
    int m_clientFd = -1;
    Frame m_incoming;
    Clock::time_point m_lastByte;
    std::vector<Outgoing> m_outgoing;
    std::optional<Clock::time_point> m_listenAgain;
};
