#include "comm/SerialPort.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace {
constexpr DWORD kQueueSize = 1024;

HANDLE Handle(void* handle)
{
    return static_cast<HANDLE>(handle);
}

// The system's text for an error code, without its closing line break.
std::string SystemMessage(DWORD error)
{
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        error, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

// The handle is opened for overlapped use, so that a wait for received bytes can
// run beside reads and writes; each read and write still completes before it returns.
class Operation
{
public:
    Operation() { m_overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Operation() { CloseHandle(m_overlapped.hEvent); }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    OVERLAPPED* Overlapped() { return &m_overlapped; }
    // The bytes moved, once the operation that started as started has ended; false on failure.
    bool Finish(HANDLE handle, BOOL started, DWORD& moved)
    {
        if (!started && GetLastError() != ERROR_IO_PENDING)
            return false;
        return GetOverlappedResult(handle, &m_overlapped, &moved, TRUE) != 0;
    }

private:
    OVERLAPPED m_overlapped{};
};

// Reading the error status also clears a pending line error (framing, parity, overrun).
void ClearLineError(HANDLE handle, COMSTAT* status = nullptr)
{
    DWORD errors = 0;
    ClearCommError(handle, &errors, status);
}
} // namespace

struct CSerialPort::ByteWatch
{
    OVERLAPPED overlapped{};
    DWORD events = 0;
    bool pending = false;
};

bool CSerialPort::IsOpen() const
{
    return Handle(m_handle) != INVALID_HANDLE_VALUE;
}

std::string CSerialPort::DevicePath(const char* name)
{
    return std::strncmp(name, "\\\\.\\", 4) == 0 ? name : std::string("\\\\.\\") + name;
}

bool CSerialPort::OpenDevice(const char* name)
{
    const std::string path = DevicePath(name);
    // No sharing: a port that another program holds must not be opened twice.
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A serial port that another program holds is refused with "access denied".
        const std::string why =
            error == ERROR_ACCESS_DENIED ? "in use by another program" : SystemMessage(error);
        std::fprintf(stderr, "vemo400: cannot open %s (%s): %s\n", name, path.c_str(), why.c_str());
        return false;
    }
    Close();
    m_handle = handle;
    m_name = name;
    return true;
}

void CSerialPort::Configure(unsigned baud, int parity)
{
    const HANDLE handle = Handle(m_handle);
    // Each step may fail on a driver that does not support it; only the open decides success.
    // Flow control, XON/XOFF and the other line-control fields stay as the driver reports them.
    DCB line{};
    line.DCBlength = sizeof line;
    if (GetCommState(handle, &line)) {
        line.BaudRate = baud;
        line.ByteSize = 8;
        line.Parity = static_cast<BYTE>(parity);
        line.StopBits = ONESTOPBIT;
        line.fDtrControl = DTR_CONTROL_ENABLE;
        line.fRtsControl = m_rs485 ? RTS_CONTROL_TOGGLE : RTS_CONTROL_DISABLE;
        if (!SetCommState(handle, &line) && m_rs485)
            std::fprintf(stderr, "vemo400: %s does not take RS-485 mode (RTS toggling)\n", m_name.c_str());
    }
    m_characterMs = CharacterMs(baud);
    const DWORD perByte = static_cast<DWORD>(m_characterMs + 1);
    COMMTIMEOUTS timeouts{};
    // A gap of about three characters ends a read, as the silence after a frame does.
    timeouts.ReadIntervalTimeout = 3 * perByte;
    timeouts.ReadTotalTimeoutMultiplier = perByte;
    timeouts.ReadTotalTimeoutConstant = 0;
    // The driver takes a frame at once; the bound only keeps a stuck line from hanging the window.
    timeouts.WriteTotalTimeoutMultiplier = perByte;
    timeouts.WriteTotalTimeoutConstant = 1000;
    SetCommTimeouts(handle, &timeouts);
    SetupComm(handle, kQueueSize, kQueueSize);
    m_baud = baud;
}

void CSerialPort::Purge()
{
    PurgeComm(Handle(m_handle), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void* CSerialPort::ArmByteEvent()
{
    if (!IsOpen())
        return nullptr;
    const HANDLE handle = Handle(m_handle);
    if (!m_watch) {
        m_watch = new ByteWatch;
        m_watch->overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        SetCommMask(handle, EV_RXCHAR);
    }
    const HANDLE event = m_watch->overlapped.hEvent;
    DWORD unused = 0;
    if (m_watch->pending && !GetOverlappedResult(handle, &m_watch->overlapped, &unused, FALSE) &&
        GetLastError() == ERROR_IO_INCOMPLETE) {
        // An earlier wait's end may set the event late; only this wait's end counts.
        ResetEvent(event);
        if (HasOverlappedIoCompleted(&m_watch->overlapped))
            SetEvent(event);
    } else {
        m_watch->pending = false;
        ResetEvent(event);
        if (WaitCommEvent(handle, &m_watch->events, &m_watch->overlapped))
            SetEvent(event);
        else
            m_watch->pending = GetLastError() == ERROR_IO_PENDING;
    }
    // A byte that arrived before the wait started sets no event of its own. While the wait is
    // outstanding only the driver may end it: setting the mask again does, and the driver then
    // sets the event once it has let go of the wait's memory.
    COMSTAT status{};
    ClearLineError(handle, &status);
    if (status.cbInQue > 0) {
        if (m_watch->pending)
            SetCommMask(handle, EV_RXCHAR);
        else
            SetEvent(event);
    }
    return event;
}

// Clearing the mask ends an outstanding wait. Its memory is freed only once the driver has
// reported the wait complete; one that never does keeps it, since the driver may still write there.
void CSerialPort::EndByteWatch()
{
    constexpr ULONGLONG kLongestEndMs = 2000;
    SetCommMask(Handle(m_handle), 0);
    const ULONGLONG giveUp = GetTickCount64() + kLongestEndMs;
    bool ended = !m_watch->pending || HasOverlappedIoCompleted(&m_watch->overlapped);
    while (!ended && GetTickCount64() < giveUp) {
        Sleep(1);
        ended = HasOverlappedIoCompleted(&m_watch->overlapped);
    }
    if (ended) {
        CloseHandle(m_watch->overlapped.hEvent);
        delete m_watch;
    }
    m_watch = nullptr;
}

void CSerialPort::Close()
{
    if (!IsOpen())
        return;
    if (m_watch)
        EndByteWatch();
    CloseHandle(Handle(m_handle));
    m_handle = INVALID_HANDLE_VALUE;
    m_name.clear();
    m_baud = 0;
}

int CSerialPort::ReadDevice(uint8_t* buffer, int maxCount)
{
    std::memset(buffer, 0, static_cast<size_t>(std::max(maxCount, 0)));
    if (!IsOpen() || maxCount <= 0)
        return 0;
    const HANDLE handle = Handle(m_handle);
    COMSTAT status{};
    ClearLineError(handle, &status);
    // Never wait for a first byte: read only once something has arrived. The read then
    // ends at maxCount bytes, after a gap of the interval time-out, or at the total time-out.
    DWORD received = 0;
    Operation read;
    if (status.cbInQue > 0 &&
        read.Finish(handle,
                    ReadFile(handle, buffer, static_cast<DWORD>(maxCount), nullptr, read.Overlapped()),
                    received))
        return static_cast<int>(received);
    ClearLineError(handle);
    return 0;
}

int CSerialPort::WriteDevice(const uint8_t* buffer, int length)
{
    if (!IsOpen())
        return 0;
    const HANDLE handle = Handle(m_handle);
    Purge();
    DWORD written = 0;
    Operation write;
    if (write.Finish(
            handle,
            WriteFile(handle, buffer, static_cast<DWORD>(std::max(length, 0)), nullptr, write.Overlapped()),
            written))
        return static_cast<int>(written);
    ClearLineError(handle);
    return 0;
}
