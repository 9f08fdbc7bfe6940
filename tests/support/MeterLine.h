#pragma once

#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <cstdint>
#include <string>
#include <vector>

// A simulated meter in-process on a pseudo-terminal, with the tool's real
// SerialPort open to it at 9600 baud, no parity, as after a navigation step.
// The meter is frozen (registers stay as set) unless a running model is asked
// for, and the line has no wire time. Transactions wait for it as they wait
// for a real meter: until its reply is complete, or the whole designed wait
// when it stays silent.
class MeterLine
{
public:
    explicit MeterLine(ModelMode model = ModelMode::Frozen);
    ~MeterLine();
    MeterLine(const MeterLine&) = delete;
    MeterLine& operator=(const MeterLine&) = delete;

    CSimMeter& Meter() { return m_meter; }
    CSimServer& Server() { return m_server; }
    const std::string& Path() const { return m_server.SlavePath(); }

    void Set(int address, uint16_t value) { m_meter.SetRegister(address, value); }
    void Set(int start, const std::vector<uint16_t>& values) { m_meter.SetRegisters(start, values); }
    uint16_t Get(int address) const { return m_meter.Register(address); }

    // Every request the meter received since the start or the last ClearRequests.
    std::vector<RequestRecord> Requests() const;
    // The requests of one function code, in order.
    std::vector<RequestRecord> Requests(int function) const;
    void ClearRequests();

    // A silent meter: requests are taken off the line and never answered.
    void Silence() { m_server.PullCable(); }
    void Speak() { m_server.PlugCable(); }

    // Reopens the tool's port on this line at another rate, as the main window would.
    bool ReopenAt(int baud);

private:
    CSimMeter m_meter;
    CSimServer m_server;
};
