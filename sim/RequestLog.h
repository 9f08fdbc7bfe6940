#pragma once

#include "sim/FaultInjector.h"
#include "sim/ModbusSlave.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// What became of one request frame read from the line.
enum class Outcome
{
    Answered,         // a reply (normal or exception) went out
    Ignored,          // broken frame, bad CRC, another slave's address, a broadcast read, a full queue
    Broadcast,        // a broadcast write, carried out without a reply
    BroadcastRefused, // a broadcast write the meter refused, without a reply
    RateMismatch,     // the line ran at a rate other than the meter's
    CablePulled,      // the meter was off the line
    Faulted,          // an injected fault changed or swallowed the reply
    Collided,         // the master sent again before the reply was out; the reply was lost
    TooSoon,          // the request followed the previous frame sooner than the meter needs
    UnknownUnit,      // a gateway answered exception 0x0B for a unit id that is not the meter's
};

struct RequestRecord
{
    Frame request;
    RequestInfo info;
    Frame reply; // the bytes that went (or were to go) out; empty when none
    Outcome outcome = Outcome::Ignored;
    std::optional<FaultMode> fault;
    int lineBaud = 0; // the rate the master had set when the request came
};

// A read of the transformer ratios' registers, as a master refreshes them.
bool ReadsRatios(const RequestRecord& record);

// The last requests the meter received, for tests and the console. Thread-safe.
class CRequestLog
{
public:
    static constexpr std::size_t kKept = 200;

    void Add(RequestRecord record);
    // Marks the latest answered request as lost to a collision.
    void MarkLastCollided();
    std::vector<RequestRecord> Records() const;
    // Requests received since the start (also those no longer kept).
    std::size_t Total() const;
    // Waits until at least count requests have been received in all.
    bool WaitForTotal(std::size_t count, std::chrono::milliseconds timeout) const;
    // The latest write (function 16 or 5) that the meter answered normally.
    std::optional<RequestRecord> LastWrite() const;
    void Clear();

    static std::string Describe(const RequestRecord& record);
    static const char* OutcomeName(Outcome outcome);

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_added;
    std::deque<RequestRecord> m_records;
    std::size_t m_total = 0;
};
