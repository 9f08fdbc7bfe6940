#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

// Processes events until condition holds or timeoutMs pass; returns whether it held.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}
