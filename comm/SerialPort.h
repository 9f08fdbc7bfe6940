#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#ifndef _WIN32
#include <termios.h>
#endif

// The one serial line to the meter: a thin synchronous wrapper that moves bytes.
// It has no thread, no buffering and no notion of frames. The build picks its
// system calls: the Windows communication functions (SerialPortWin32.cpp) or
// POSIX termios (SerialPortPosix.cpp); SerialPortCommon.cpp holds the rest.
class CSerialPort
{
public:
    CSerialPort() = default;
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens "COMn" (see DevicePath) or a device path, 8 data bits, 1 stop
    // bit, parity 0 none / 1 odd / 2 even. A failed open leaves the port as it was.
    bool Open(const char* name, unsigned baud, int parity);
    void Close();
    bool IsOpen() const;
    const char* DeviceName() const { return m_name.c_str(); }
    // The rate the port was last opened at; 0 while it is closed.
    unsigned Baud() const { return m_baud; }

    // Zero-fills buffer[0..maxCount) and returns what has arrived, never waiting
    // for a first byte; a gap of the interval time-out ends the read.
    int Read(uint8_t* buffer, int maxCount);
    // Discards stale input, then writes the whole frame.
    int Write(const uint8_t* buffer, int length);

    // When the line last fell silent: the arrival of the last byte read, or the moment the
    // last frame written has left the port at the open rate.
    std::chrono::steady_clock::time_point QuietSince() const { return m_quietSince; }

    // A two-wire converter without echo suppression hands every request back before the
    // reply. Once a copy has been seen the line is known to echo, until the port opens again.
    bool Echoes() const { return m_echoes; }
    void NoteEcho() { m_echoes = true; }

    // RS-485 mode: the driver raises RTS while it sends (Linux: the kernel's RS-485 mode;
    // Windows: RTS toggling). Off unless VEMO400_RS485=1 or asked for; it applies from the
    // next open, and a port that refuses it says so on standard error.
    void SetRs485(bool on) { m_rs485 = on; }
    bool Rs485() const { return m_rs485; }

#ifdef _WIN32
    // An event the driver sets once a byte has arrived (at once when input already
    // waits); each call re-arms it. Null while the port is closed.
    void* ArmByteEvent();
#else
    // The open descriptor, readable while input waits; -1 while the port is closed.
    int Descriptor() const
    {
        return m_fd;
    }
#endif

    // The device that a name opens. On Windows a name is prefixed with \\.\ (which
    // also reaches COM10 and above). Elsewhere "COMn" is $VEMO400_COMn when set, else
    // /dev/ttyUSB<n-1> when it exists, else /dev/ttyS<n-1>; any other name is a path.
    static std::string DevicePath(const char* name);
    // Time of one 10-bit character in whole milliseconds, truncated (0 at 19200 and above).
    static int CharacterMs(unsigned baud)
    {
        return baud ? static_cast<int>(10000 / baud) : 0;
    }
#ifndef _WIN32
    // The line settings an open applies on top of the device's current ones.
    static termios LineSettings(termios current, unsigned baud, int parity);
#endif

private:
    int ReadDevice(uint8_t* buffer, int maxCount);
    int WriteDevice(const uint8_t* buffer, int length);
    bool OpenDevice(const char* name);
    void Configure(unsigned baud, int parity);
    void Purge();
#ifdef _WIN32
    void EndByteWatch();
#else
    bool EnterRs485Mode();
#endif

#ifdef _WIN32
    // The Windows HANDLE of the open device; INVALID_HANDLE_VALUE (-1) while closed.
    void* m_handle = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
    // The overlapped wait for a received byte behind ArmByteEvent; made on first use.
    struct ByteWatch;
    ByteWatch* m_watch = nullptr;
#else
    int m_fd = -1;
#endif
    // The name it was opened by, as typed: a device path may be long.
    std::string m_name;
    int m_characterMs = 0;
    unsigned m_baud = 0;
    int m_parity = 0;
    std::chrono::steady_clock::time_point m_quietSince{};
    bool m_echoes = false;
    bool m_rs485 = RequestedRs485();

    static bool RequestedRs485();
};

extern CSerialPort SerialPort;
