#include "sim/ServingThread.h"

#include <algorithm>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

CServingThread::~CServingThread()
{
    Stop();
}

void CServingThread::Start(std::function<void()> serve)
{
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_stopping = false;
    m_thread = std::thread(std::move(serve));
}

void CServingThread::Stop()
{
    if (!IsRunning())
        return;
    m_stopping = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    ::close(m_wakeFd);
    m_wakeFd = -1;
}

short CServingThread::Wait(int fd, std::optional<Clock::time_point> due)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    timespec wait{};
    if (due) {
        const auto left =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(*due - Clock::now(), {}));
        wait.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
        wait.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
    }
    ::ppoll(fds, 2, due ? &wait : nullptr, nullptr);
    if (fds[1].revents & POLLIN) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(m_wakeFd, &count, sizeof count);
    }
    return fds[0].revents;
}
