#pragma once

#include <string>

// A pseudo-terminal pair whose slave side a master program opens as its
// serial port. The pair keeps its own raw-mode handle on the slave side, so a
// program closing and reopening the port never hangs up the line. That handle
// is neither locked nor exclusive: the program's own open may be.
class CPseudoTerminal
{
public:
    CPseudoTerminal() = default;
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    // Creates the pair with the line at the given rate; false with the reason
    // in Error() when the system refuses.
    bool Open(int baud);
    void Close();

    int MasterFd() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }
    const std::string& Error() const { return m_error; }
    // The rate the program on the slave side set last (0 when unknown).
    int LineBaud() const;

private:
    bool Fail(const char* what);

    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    std::string m_error;
};
