#pragma once

#include <string>

// A listening TCP socket on one IPv4 address and port that takes one connection at a
// time, with a bounded receive buffer. Closing it while a client is connected makes
// further connects fail at once.
class CTcpListener
{
public:
    CTcpListener() = default;
    ~CTcpListener();
    CTcpListener(const CTcpListener&) = delete;
    CTcpListener& operator=(const CTcpListener&) = delete;

    // Listens on host (a dotted IPv4 address) and port (0: a free one); false with Error() set.
    bool Open(const std::string& host, int port);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // The port it listens on, also after a port 0 was given.
    int Port() const { return m_port; }
    const std::string& Error() const { return m_error; }

    // The connection waiting, non-blocking and without send delay, or -1 when none is.
    int Accept();

    static bool IsAddress(const std::string& host);

private:
    int m_fd = -1;
    int m_port = 0;
    std::string m_error;
};
