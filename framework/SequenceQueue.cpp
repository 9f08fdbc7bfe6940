#include "framework/SequenceQueue.h"

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

// The caller that finds the line free runs the queue until it is empty; a
// caller that finds it busy only leaves its sequence behind.
void CSequenceQueue::Enqueue(Waiting waiting)
{
    if (m_closed)
        return;
    m_waiting.push_back(std::move(waiting));
    if (m_running)
        return;
    m_running = true;
    while (!m_waiting.empty() && !m_closed) {
        const Sequence next = std::move(m_waiting.front().sequence);
        m_waiting.pop_front();
        next();
    }
    m_running = false;
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
