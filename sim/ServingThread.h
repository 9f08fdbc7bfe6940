#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

// The thread a simulated server serves on, and the wake-up that lets Stop end its wait at
// once: the server loops on Wait until Stopping() holds.
class CServingThread
{
public:
    using Clock = std::chrono::steady_clock;

    CServingThread() = default;
    ~CServingThread();
    CServingThread(const CServingThread&) = delete;
    CServingThread& operator=(const CServingThread&) = delete;

    void Start(std::function<void()> serve);
    // Wakes the wait in progress and returns once serve has returned.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }
    bool Stopping() const { return m_stopping; }

    // Waits until fd has something to read (a negative fd is skipped), due passes (none:
    // no time-out) or Stop is called; returns fd's poll events.
    short Wait(int fd, std::optional<Clock::time_point> due);

private:
    int m_wakeFd = -1;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};
