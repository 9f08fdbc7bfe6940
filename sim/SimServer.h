#pragma once

#include "sim/FaultInjector.h"
#include "sim/PseudoTerminal.h"
#include "sim/RequestLog.h"
#include "sim/ServingThread.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CSimMeter;

// The line as it is on a real RS-485 bus. With timing on, a request takes its
// wire time (10 bits per character at the rate the master set) and the reply
// goes out only after the turnaround delay plus its own wire time.
struct LineTiming
{
    bool enabled = true;
    std::chrono::microseconds turnaround{3000};
    std::chrono::milliseconds lateReply{1000}; // extra delay of the late-reply fault
    // A two-wire converter without echo suppression: every request comes back at once, before its reply.
    bool echo = false;
    // A meter that needs idle time: a request that starts sooner than this after the previous
    // frame on the line (request or reply) is ignored. 0: any gap will do.
    std::chrono::milliseconds quietNeeded{0};
};

// Serves one CSimMeter on the master side of a pseudo-terminal pair, on its
// own thread, until stopped. The master program opens SlavePath(). Further
// meters may share the line: each answers the requests sent to its address.
class CSimServer
{
public:
    explicit CSimServer(CSimMeter& meter, const LineTiming& timing = {});
    ~CSimServer();
    CSimServer(const CSimServer&) = delete;
    CSimServer& operator=(const CSimServer&) = delete;

    // Creates the pseudo-terminal and starts serving; false with Error() set
    // when the system refuses.
    bool Start();
    // Stops serving promptly and closes the pseudo-terminal.
    void Stop();
    bool IsRunning() const { return m_serving.IsRunning(); }
    const std::string& SlavePath() const { return m_pty.SlavePath(); }
    const std::string& Error() const { return m_pty.Error(); }

    LineTiming Timing() const;
    void SetTiming(const LineTiming& timing);
    CFaultInjector& Faults() { return m_faults; }
    const CRequestLog& Log() const { return m_log; }
    CRequestLog& Log() { return m_log; }

    // Takes the meter off the line: for the given time, or until plugged back.
    void PullCable(std::optional<std::chrono::milliseconds> duration = std::nullopt);
    void PlugCable();
    bool IsCablePulled() const;

    // Puts another meter on the line, or takes it off; a request goes to the
    // meter whose address it carries, else to the first, which stays silent.
    void AddMeter(CSimMeter& meter);
    void RemoveMeter(CSimMeter& meter);
    // The meter a request goes to: the one at its address, else the first, which stays silent.
    CSimMeter& MeterFor(const Frame& request);
    bool HasMeterAt(int address) const;

private:
    using Clock = std::chrono::steady_clock;

    void Serve();
    void ReadLine(Clock::time_point now);
    void TakeCompleteFrames();
    void Process(const Frame& request, Clock::time_point firstByte);
    void Echo(const Frame& request);
    bool CameTooSoon(Clock::time_point firstByte);
    Clock::duration CharTime(int baud) const;
    Clock::duration Silence() const;

    CSimMeter& m_meter;
    CPseudoTerminal m_pty;
    CFaultInjector m_faults;
    CRequestLog m_log;
    mutable std::mutex m_mutex; // timing, cable and the further meters
    LineTiming m_timing;
    std::vector<CSimMeter*> m_others;
    std::optional<Clock::time_point> m_cableBack;
    bool m_cablePulled = false;
    CServingThread m_serving;

    // Owned by the serving thread only.
    Frame m_incoming;
    Clock::time_point m_firstByte;
    Clock::time_point m_lastByte;
    Frame m_outgoing;
    Clock::time_point m_outgoingDue;
    Clock::time_point m_quietSince; // end of the last frame on the line
};
