#pragma once

#include <deque>
#include <functional>

// Runs everything that talks to the meter (a timer's tick, a button's command,
// a navigation step) one sequence at a time, start to end, in the order it was
// asked for. A sequence asked for while another runs (from the event loop that
// the line's waits keep running) waits its turn and runs from the event loop as
// soon as the running one ends; asked for while none runs, it runs at once,
// after any that still wait.
class CSequenceQueue
{
public:
    using Sequence = std::function<void()>;

    void Run(Sequence sequence);
    // A tick of window timer `timer` of `window`: as Run, but like a window
    // timer it keeps at most one tick waiting; a further tick is dropped.
    void RunTick(const void* window, int timer, Sequence sequence);

    bool IsRunning() const { return m_running; }

    // Closing the window: what waits is dropped and nothing asked for later
    // runs, until a new window opens the queue again.
    void Close();
    void Open() { m_closed = false; }
    bool IsClosed() const { return m_closed; }

private:
    struct Waiting
    {
        Sequence sequence;
        const void* window = nullptr; // set for a timer's tick
        int timer = 0;
    };

    void Enqueue(Waiting waiting);
    void RunWaiting();
    bool TickWaits(const void* window, int timer) const;

    std::deque<Waiting> m_waiting;
    bool m_running = false;
    bool m_closed = false;
};

// The queue of the one line to the meter.
CSequenceQueue& SequenceQueue();
