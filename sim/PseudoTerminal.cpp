#include "sim/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
struct Speed
{
    speed_t code;
    int baud;
};

constexpr Speed kSpeeds[] = {{B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
                             {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};

speed_t CodeOf(int baud)
{
    for (const Speed& speed : kSpeeds)
        if (speed.baud == baud)
            return speed.code;
    return B9600;
}
} // namespace

CPseudoTerminal::~CPseudoTerminal()
{
    Close();
}

bool CPseudoTerminal::Fail(const char* what)
{
    m_error = std::string(what) + ": " + std::strerror(errno);
    Close();
    return false;
}

bool CPseudoTerminal::Open(int baud)
{
    Close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return Fail("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return Fail("grantpt/unlockpt");
    char path[128];
    if (ptsname_r(m_master, path, sizeof path) != 0)
        return Fail("ptsname_r");
    m_slavePath = path;
    m_slave = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return Fail("open slave");
    termios settings{};
    if (tcgetattr(m_slave, &settings) != 0)
        return Fail("tcgetattr");
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, CodeOf(baud));
    cfsetospeed(&settings, CodeOf(baud));
    if (tcsetattr(m_slave, TCSANOW, &settings) != 0)
        return Fail("tcsetattr");
    if (fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0)
        return Fail("fcntl");
    return true;
}

void CPseudoTerminal::Close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

int CPseudoTerminal::LineBaud() const
{
    termios settings{};
    if (m_slave < 0 || tcgetattr(m_slave, &settings) != 0)
        return 0;
    const speed_t code = cfgetospeed(&settings);
    for (const Speed& speed : kSpeeds)
        if (speed.code == code)
            return speed.baud;
    return 0;
}
