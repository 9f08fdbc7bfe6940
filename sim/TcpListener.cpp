#include "sim/TcpListener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// What the system keeps of a client's bytes before the gateway reads them (connections
// inherit it from the listening socket); beyond it the client waits on TCP's flow control.
constexpr int kReceiveBuffer = 64 * 1024;
} // namespace

CTcpListener::~CTcpListener()
{
    Close();
}

bool CTcpListener::IsAddress(const std::string& host)
{
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1;
}

bool CTcpListener::Open(const std::string& host, int port)
{
    Close();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        m_error = "not an IPv4 address: " + host;
        return false;
    }
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    // The port is taken again after each client, while its last connection may still linger.
    const bool listening =
        m_fd >= 0 && ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBuffer, sizeof kReceiveBuffer) == 0 &&
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(m_fd, 1) == 0;
    socklen_t size = sizeof address;
    if (!listening || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        m_error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        Close();
        return false;
    }
    m_port = ntohs(address.sin_port);
    return true;
}

void CTcpListener::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int CTcpListener::Accept()
{
    const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0)
        return -1;
    // Each reply is one small segment that should leave at once, not wait for the last one's ACK.
    const int on = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return client;
}
