#include "framework/SequenceQueue.h"

#include <QTimer>
#include <algorithm>

void CSequenceQueue::Run(Sequence sequence)
{
    Enqueue({std::move(sequence)});
}

void CSequenceQueue::RunTick(const void* window, int timer, Sequence sequence)
{
    if (!TickWaits(window, timer))
        Enqueue({std::move(sequence), window, timer});
}

bool CSequenceQueue::TickWaits(const void* window, int timer) const
{
    return std::any_of(m_waiting.begin(), m_waiting.end(), [&](const Waiting& waiting) {
        return waiting.window == window && waiting.timer == timer;
    });
}

void CSequenceQueue::Enqueue(Waiting waiting)
{
    if (m_closed)
        return;
    m_waiting.push_back(std::move(waiting));
    RunWaiting();
}

// Unless a sequence runs already, runs those that wait now, in order, the
// caller's own last. What is asked for meanwhile runs from the event loop
// rather than from this call, so that whoever waits in a loop further down the
// stack (a modal box, a test, the application's own loop) gets its turn even
// when the line is never free: a poll that outlasts its timer's period always
// has its next tick waiting, and would otherwise keep this call running for ever.
void CSequenceQueue::RunWaiting()
{
    if (m_running)
        return;
    m_running = true;
    for (std::size_t count = m_waiting.size(); count > 0 && !m_closed && !m_waiting.empty(); --count) {
        const Sequence next = std::move(m_waiting.front().sequence);
        m_waiting.pop_front();
        next();
    }
    m_running = false;
    if (!m_waiting.empty() && !m_closed)
        QTimer::singleShot(0, [this] { RunWaiting(); });
}

void CSequenceQueue::Close()
{
    m_closed = true;
    m_waiting.clear();
}

CSequenceQueue& SequenceQueue()
{
    static CSequenceQueue queue;
    return queue;
}
