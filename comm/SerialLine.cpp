#include "comm/SerialLine.h"

#include "comm/SerialPort.h"

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#include <poll.h>
#endif

namespace {
#ifdef Q_OS_WIN
std::unique_ptr<QObject> WatchPort(std::function<void()> arrived)
{
    void* event = SerialPort.ArmByteEvent();
    if (!event)
        return nullptr;
    auto notifier = std::make_unique<QWinEventNotifier>(event);
    QObject::connect(notifier.get(), &QWinEventNotifier::activated, [arrived] {
        arrived();
        SerialPort.ArmByteEvent();
    });
    return notifier;
}
#else
std::unique_ptr<QObject> WatchPort(std::function<void()> arrived)
{
    const int fd = SerialPort.Descriptor();
    if (fd < 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QSocketNotifier* watch = notifier.get();
    QObject::connect(watch, &QSocketNotifier::activated, [watch, fd, arrived] {
        arrived();
        // A line whose other end has gone stays readable with nothing to read.
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR)))
            watch->setEnabled(false);
    });
    return notifier;
}
#endif
} // namespace

bool CSerialLine::IsOpen() const
{
    return SerialPort.IsOpen();
}

unsigned CSerialLine::Baud() const
{
    return SerialPort.Baud();
}

int CSerialLine::Read(uint8_t* buffer, int maxCount)
{
    return SerialPort.Read(buffer, maxCount);
}

int CSerialLine::Write(const uint8_t* buffer, int length)
{
    return SerialPort.Write(buffer, length);
}

std::chrono::steady_clock::time_point CSerialLine::QuietSince() const
{
    return SerialPort.QuietSince();
}

bool CSerialLine::Echoes() const
{
    return SerialPort.Echoes();
}

void CSerialLine::NoteEcho()
{
    SerialPort.NoteEcho();
}

std::unique_ptr<QObject> CSerialLine::WatchArrivals(std::function<void()> arrived)
{
    return WatchPort(std::move(arrived));
}
