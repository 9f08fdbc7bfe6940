#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

// How many WaitUntil calls are running (they may nest).
inline int& TestWaits()
{
    static int running = 0;
    return running;
}

// Processes events until condition holds or timeoutMs pass; returns whether it held.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    ++TestWaits();
    bool held = condition();
    while (!held && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
        held = condition();
    }
    --TestWaits();
    return held;
}
