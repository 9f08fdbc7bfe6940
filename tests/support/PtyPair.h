#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A pseudo-terminal pair for talking to CSerialPort: the test plays the other
// end of the line on the master side; the port opens the slave path.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    int MasterFd() const { return m_master; }

    // Returns once the bytes are waiting at the slave side.
    void Send(const std::vector<uint8_t>& bytes) const;
    // Everything that arrives until the line has been quiet for quietMs, or timeoutMs in all.
    std::vector<uint8_t> Receive(int quietMs = 50, int timeoutMs = 2000) const;

private:
    int m_master = -1;
    int m_keepOpen = -1; // our own slave handle, so the line never hangs up between opens
    std::string m_slavePath;
};
