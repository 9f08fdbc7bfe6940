#include "PtyPair.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

PtyPair::PtyPair()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        throw std::runtime_error("cannot create a pseudo-terminal");
    m_slavePath = ptsname(m_master);
    m_keepOpen = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    tcgetattr(m_keepOpen, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_keepOpen, TCSANOW, &raw);
}

PtyPair::~PtyPair()
{
    ::close(m_keepOpen);
    ::close(m_master);
}

void PtyPair::Send(const std::vector<uint8_t>& bytes) const
{
    int before = 0;
    ioctl(m_keepOpen, FIONREAD, &before);
    if (::write(m_master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("cannot write to the pseudo-terminal");
    // The kernel hands bytes to the slave side a moment later; wait until they are there.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int waiting = 0;
    while (ioctl(m_keepOpen, FIONREAD, &waiting) == 0 && waiting < before + static_cast<int>(bytes.size()) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
}

std::vector<uint8_t> PtyPair::Receive(int quietMs, int timeoutMs) const
{
    std::vector<uint8_t> received;
    pollfd p{m_master, POLLIN, 0};
    int wait = timeoutMs;
    while (poll(&p, 1, wait) > 0) {
        uint8_t chunk[256];
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n <= 0)
            break;
        received.insert(received.end(), chunk, chunk + n);
        wait = quietMs;
    }
    return received;
}
