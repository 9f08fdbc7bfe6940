#include "comm/SerialPort.h"

#include <cstdlib>
#include <cstring>

// The part of the port that every platform shares; the rest lives in
// SerialPortPosix.cpp or SerialPortWin32.cpp.

CSerialPort SerialPort;

CSerialPort::~CSerialPort()
{
    Close();
}

// The settings are applied, and both queues emptied, whether or not the device
// was opened afresh; once it is open, a setting the driver refuses does not fail the open.
bool CSerialPort::Open(const char* name, unsigned baud, int parity)
{
    if (m_name != name && !OpenDevice(name))
        return false;
    Configure(baud, parity);
    Purge();
    m_parity = parity;
    m_echoes = false;
    return true;
}

bool CSerialPort::RequestedRs485()
{
    const char* value = std::getenv("VEMO400_RS485");
    return value && std::strcmp(value, "1") == 0;
}

int CSerialPort::Read(uint8_t* buffer, int maxCount)
{
    const int received = ReadDevice(buffer, maxCount);
    if (received > 0)
        m_quietSince = std::chrono::steady_clock::now();
    return received;
}

int CSerialPort::Write(const uint8_t* buffer, int length)
{
    const int written = WriteDevice(buffer, length);
    // The driver takes the frame at once; the line is busy until its last character has gone.
    const int bitsPerCharacter = m_parity == 0 ? 10 : 11;
    const auto wire =
        std::chrono::microseconds(m_baud ? 1'000'000LL * bitsPerCharacter * written / m_baud : 0);
    m_quietSince = std::chrono::steady_clock::now() + wire;
    return written;
}
