#pragma once

#include "sim/RequestLog.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class CSimServer;

// What the meter may see written: for each register a write may touch, the
// values the user entered or the page loaded from the meter.
using AllowedWrite = std::map<int, std::vector<uint16_t>>;

// Watches every request the simulated meter receives during a soak: counts
// them by outcome and fault, and checks the rules the tool must keep however
// the line misbehaves. Violations are kept as sentences for the report.
class SoakRules
{
public:
    explicit SoakRules(CSimServer& server);

    // Takes the requests received since the last call and checks them.
    void Collect();
    // The next writes may set exactly these values (checked as they arrive).
    void Allow(const AllowedWrite& allowed) { m_allowed = allowed; }
    void AllowAnything(int start, int count);
    // A message box the tool showed, with the request the meter saw last.
    void MessageShown(const std::string& text, const std::string& caption);
    void Violated(const std::string& rule);

    std::size_t Reads() const { return m_reads; }
    std::size_t Writes() const { return m_writes; }
    std::size_t Requests() const { return m_requests; }
    std::size_t Answered() const { return m_answered; }
    const std::map<std::string, std::size_t>& Failures() const { return m_failures; }
    const std::map<std::string, std::size_t>& Messages() const { return m_messages; }
    const std::vector<std::string>& Violations() const { return m_violations; }
    // Reads of one start address that the meter answered as asked, since the start.
    std::size_t AnsweredAt(int start) const;
    // The last requests of one start address, newest last (up to ten).
    std::vector<RequestRecord> LastAt(int start) const;

private:
    void Check(const RequestRecord& record);
    void CheckWrite(const RequestRecord& record);
    void CheckHarmonicAttempts(const RequestRecord& record);

    CSimServer& m_server;
    std::size_t m_seen = 0;
    std::size_t m_reads = 0;
    std::size_t m_writes = 0;
    std::size_t m_requests = 0;
    std::size_t m_answered = 0;
    std::map<std::string, std::size_t> m_failures;
    std::map<std::string, std::size_t> m_messages;
    std::vector<std::string> m_violations;
    AllowedWrite m_allowed;
    std::map<int, std::vector<RequestRecord>> m_recentByStart;
    std::map<int, std::size_t> m_answeredAt;
    std::optional<RequestRecord> m_last;
    int m_failedInARow = 0; // of one harmonic block
};

// A read the meter answered as asked, with no fault on the way.
bool AnsweredWell(const RequestRecord& record);
