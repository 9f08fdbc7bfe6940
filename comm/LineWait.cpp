#include "comm/LineWait.h"

#include "comm/Line.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

namespace LineWait {
namespace {
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
    std::unique_ptr<QObject> arrival;
    if (done)
        arrival = Line().WatchArrivals([&] {
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
