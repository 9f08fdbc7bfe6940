#include "comm/LineWait.h"

#include "comm/SerialPort.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>
#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#include <poll.h>
#endif

namespace LineWait {
namespace {
// Calls arrived each time bytes arrive at the open port, while it lives; nothing while the port is closed.
class ByteArrival
{
public:
    explicit ByteArrival(std::function<void()> arrived)
    {
#ifdef Q_OS_WIN
        if (void* event = SerialPort.ArmByteEvent()) {
            m_notifier = std::make_unique<QWinEventNotifier>(event);
            QObject::connect(m_notifier.get(), &QWinEventNotifier::activated, [arrived] {
                arrived();
                SerialPort.ArmByteEvent();
            });
        }
#else
        if (const int fd = SerialPort.Descriptor(); fd >= 0) {
            m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this, fd, arrived] {
                arrived();
                // A line whose other end has gone stays readable with nothing to read.
                pollfd p{fd, POLLIN, 0};
                if (m_notifier && poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR)))
                    m_notifier->setEnabled(false);
            });
        }
#endif
    }

private:
#ifdef Q_OS_WIN
    std::unique_ptr<QWinEventNotifier> m_notifier;
#else
    std::unique_ptr<QSocketNotifier> m_notifier;
#endif
};

bool g_closing = false;
int g_clockSpeed = 1;

std::vector<QEventLoop*>& RunningWaits()
{
    static std::vector<QEventLoop*> waits;
    return waits;
}

int RealTime(int waitMs)
{
    if (waitMs <= 0)
        return 0;
    return std::max(waitMs / g_clockSpeed, 1);
}

int Remaining(const QDeadlineTimer& deadline)
{
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}
} // namespace

bool Until(int waitMs, const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(RealTime(waitMs), Qt::PreciseTimer);
    bool held = false;
    const auto over = [&] {
        held = held || (done && done());
        return held || g_closing || deadline.hasExpired();
    };
    if (over())
        return held;
    QEventLoop loop;
    // One timer for the deadline; the line itself wakes the wait when bytes arrive.
    QTimer end;
    end.setTimerType(Qt::PreciseTimer);
    end.setSingleShot(true);
    const auto endLater = [&] { end.start(std::max(Remaining(deadline), 1)); };
    QObject::connect(&end, &QTimer::timeout, &loop, [&] {
        if (over())
            loop.quit();
        else
            endLater();
    });
    endLater();
    std::unique_ptr<ByteArrival> arrival;
    if (done)
        arrival = std::make_unique<ByteArrival>([&] {
            if (over())
                loop.quit();
        });
    RunningWaits().push_back(&loop);
    loop.exec();
    RunningWaits().pop_back();
    return held;
}

void For(int waitMs)
{
    Until(waitMs, {});
}

void SetClosing(bool closing)
{
    g_closing = closing;
    if (closing) {
        for (QEventLoop* wait : RunningWaits())
            wait->quit();
    }
}

void SetClockSpeed(int times)
{
    g_clockSpeed = std::max(times, 1);
}

bool Closing()
{
    return g_closing;
}

bool FixedWaits()
{
    return qEnvironmentVariableIntValue("VEMO400_FIXED_WAITS") == 1;
}

} // namespace LineWait
