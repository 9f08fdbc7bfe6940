#include "comm/SerialPort.h"

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
    return true;
}
