#pragma once

#include "comm/Line.h"

// The serial port as a line; the port itself is the shared SerialPort.
class CSerialLine final : public CLine
{
public:
    bool IsOpen() const override;
    unsigned Baud() const override;
    int Read(uint8_t* buffer, int maxCount) override;
    int Write(const uint8_t* buffer, int length) override;
    std::chrono::steady_clock::time_point QuietSince() const override;
    bool Echoes() const override;
    void NoteEcho() override;
    // A QSocketNotifier on the descriptor on POSIX, a QWinEventNotifier on the driver's byte event on
    // Windows.
    std::unique_ptr<QObject> WatchArrivals(std::function<void()> arrived) override;
};
