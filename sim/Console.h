#pragma once

#include <string>
#include <vector>

class CSimGateway;
class CSimMeter;
class CSimServer;

// The simulator's console: one command line in, the answer text out. The
// executable feeds it standard input; tests may call it directly.
class CSimConsole
{
public:
    CSimConsole(CSimMeter& meter, CSimServer& server) : m_meter(meter), m_server(server) {}
    // A TCP gateway in front of the same meter, shown by status and set by "gateway".
    void AddGateway(CSimGateway& gateway) { m_gateways.push_back(&gateway); }

    // Runs one command; the text to show (ending in a line feed, or empty).
    std::string Execute(const std::string& line);
    // True once the command "quit" has been given.
    bool QuitRequested() const { return m_quit; }

    static std::string Help();

private:
    std::string Status() const;
    std::string Requests(int count) const;
    std::string SetRegisters(const std::string& arguments);
    std::string GetRegisters(const std::string& arguments) const;
    std::string SetSwitch(const std::string& arguments, bool isInput);
    std::string Fault(const std::string& arguments);
    std::string Cable(const std::string& arguments);
    std::string Timing(const std::string& arguments);
    std::string Gateway(const std::string& arguments);
    std::string Site(const std::string& arguments);
    std::string GatewayStatus() const;

    CSimMeter& m_meter;
    CSimServer& m_server;
    std::vector<CSimGateway*> m_gateways;
    bool m_quit = false;
};
