#pragma once

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
    bool OpenDevice(const char* name);
    void Configure(unsigned baud, int parity);
    void Purge();

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
};

extern CSerialPort SerialPort;
