#pragma once

#include "comm/ExchangeVerdict.h"

#include <array>
#include <cstdint>

// The line monitor's counters since it was opened or cleared: requests sent,
// each verdict, and the reply times of the replies the slave meant (answers
// and exceptions).
class LineCounters
{
public:
    // One request that went on the line and what came back.
    void CountExchange(ExchangeVerdict::Kind verdict, int64_t replyMs);
    // A request that stayed off the line, an echo of one that went, or stray bytes: no request of its own.
    void CountOther(ExchangeVerdict::Kind verdict);
    void Clear() { *this = LineCounters(); }

    int64_t Requests() const { return m_requests; }
    int64_t Count(ExchangeVerdict::Kind verdict) const { return m_counts[verdict]; }
    // Mean and longest reply time in ms; 0 before the first reply.
    double MeanReplyMs() const;
    int64_t LongestReplyMs() const { return m_longestReplyMs; }

private:
    int64_t m_requests = 0;
    std::array<int64_t, ExchangeVerdict::KindCount> m_counts{};
    int64_t m_timedReplies = 0;
    int64_t m_replyMsTotal = 0;
    int64_t m_longestReplyMs = 0;
};
