#pragma once

#include "comm/ModbusFrame.h"
#include "sim/ModbusSlave.h"

#include <chrono>
#include <string>

// A Modbus master's side of the line for the tests: opens the simulator's
// terminal in raw mode at a rate and exchanges frames with it.
class CLineClient
{
public:
    CLineClient() = default;
    ~CLineClient();
    CLineClient(const CLineClient&) = delete;
    CLineClient& operator=(const CLineClient&) = delete;

    bool Open(const std::string& path, int baud);
    void Close();
    bool SetBaud(int baud);

    // Appends the CRC, drops stale input and writes the frame.
    void Send(Frame body);
    // Writes the bytes as they are, after dropping stale input.
    void SendRaw(const Frame& bytes);
    // Reads until a whole reply frame has arrived or the time is up; what
    // arrived in either case.
    Frame ReadReply(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    // Whatever is waiting now, without blocking.
    Frame ReadWaiting();
    Frame Ask(Frame body, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

    // A reply is complete when its length matches what its header announces.
    static bool IsComplete(const Frame& reply);

private:
    int m_fd = -1;
};

// Test-side frame builders, written as the wire bytes a reader expects.
Frame ReadRequest(int slave, int start, int count);
Frame WriteRequest(int slave, int start, const std::vector<uint16_t>& values);
Frame CoilRequest(int slave, int coil, bool closed);
