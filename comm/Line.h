#pragma once

#include <QObject>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The line the transactions talk over: the serial port, or a TCP connection to a
// serial-to-Ethernet gateway. The codec builds RTU frames and checks RTU replies on
// every kind of line; a line that frames otherwise translates.
class CLine
{
public:
    virtual ~CLine() = default;

    virtual bool IsOpen() const = 0;
    // The rate the line was opened at (a gateway keeps the one asked for; its own serial
    // side is set up on the gateway).
    virtual unsigned Baud() const = 0;
    // As CSerialPort::Read and Write: zero-fills and returns what has arrived without
    // waiting for a first byte; discards stale input and writes the whole frame.
    virtual int Read(uint8_t* buffer, int maxCount) = 0;
    virtual int Write(const uint8_t* buffer, int length) = 0;
    // When the line last fell silent (the last byte read, or the last frame written has gone).
    virtual std::chrono::steady_clock::time_point QuietSince() const = 0;
    // Whether the line is known to hand requests back (a two-wire converter without echo suppression).
    virtual bool Echoes() const { return false; }
    virtual void NoteEcho() {}
    // Time added to every designed wait for the network and the gateway's own serial exchange.
    virtual int NetworkAllowanceMs() const { return 0; }
    // Calls arrived whenever bytes arrive, or the connection changes, while the watch lives.
    virtual std::unique_ptr<QObject> WatchArrivals(std::function<void()> arrived) = 0;
};

// The line in use: the serial port unless a gateway was opened.
CLine& Line();

// Opens a port by name: "tcp://HOST[:PORT]" is a Modbus TCP gateway (port 502 by default),
// "rtu-tcp://HOST:PORT" a gateway that carries RTU frames as they are; anything else is a
// serial port (CSerialPort::DevicePath). COMn opens the gateway that VEMO400_COMn names, if it names one.
// Baud and parity apply to serial ports only. A failed open says why on standard error and leaves no line
// open.
bool OpenLine(const char* name, unsigned baud, int parity);
void CloseLine();
// The name the line in use was last opened by (empty before the first open): what was learnt
// of the meters on it holds until a line of another name is opened.
const std::string& LineName();
// Whether a name opens a gateway rather than a serial port (VEMO400_COMn included).
bool IsGatewayName(const char* name);

// The allowance a gateway adds to each wait (300 ms), or another one: vemo400-cli's
// --timeout replaces the whole wait with 0.
int GatewayAllowanceMs();
void SetGatewayAllowanceMs(int allowanceMs);
