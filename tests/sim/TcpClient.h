#pragma once

#include "sim/ModbusSlave.h"

#include <chrono>

// A client on a gateway's port for the tests: connects on the loopback address, writes
// bytes, reads until enough arrived or the time is up.
class CTcpClient
{
public:
    CTcpClient() = default;
    ~CTcpClient();
    CTcpClient(const CTcpClient&) = delete;
    CTcpClient& operator=(const CTcpClient&) = delete;

    // 0 when connected, else the errno of the refusal.
    int Connect(int port);
    void Close();
    // Whether all the bytes were written.
    bool Send(const Frame& bytes);
    // Up to count bytes: what arrived before the time was up or the gateway closed.
    Frame Read(std::size_t count, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

private:
    int m_fd = -1;
};
