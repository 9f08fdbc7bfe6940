#include "app/LineCounters.h"

#include <algorithm>

void LineCounters::CountExchange(ExchangeVerdict::Kind verdict, int64_t replyMs)
{
    ++m_requests;
    ++m_counts[verdict];
    if (verdict != ExchangeVerdict::Answered && verdict != ExchangeVerdict::Exception)
        return;
    ++m_timedReplies;
    m_replyMsTotal += replyMs;
    m_longestReplyMs = std::max(m_longestReplyMs, replyMs);
}

void LineCounters::CountOther(ExchangeVerdict::Kind verdict)
{
    ++m_counts[verdict];
}

double LineCounters::MeanReplyMs() const
{
    return m_timedReplies ? static_cast<double>(m_replyMsTotal) / static_cast<double>(m_timedReplies) : 0.0;
}
