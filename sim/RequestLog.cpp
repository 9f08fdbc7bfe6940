#include "sim/RequestLog.h"

#include "comm/ModbusFrame.h"

#include <cstdio>

namespace {
std::string Hex(const Frame& bytes)
{
    std::string text;
    char pair[4];
    for (uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X ", byte);
        text += pair;
    }
    return text.empty() ? "-" : text.substr(0, text.size() - 1);
}
} // namespace

const char* CRequestLog::OutcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Answered:
        return "answered";
    case Outcome::Ignored:
        return "ignored";
    case Outcome::Broadcast:
        return "broadcast: carried out, no reply";
    case Outcome::BroadcastRefused:
        return "broadcast: refused, no reply";
    case Outcome::RateMismatch:
        return "rate mismatch";
    case Outcome::CablePulled:
        return "cable pulled";
    case Outcome::Faulted:
        return "fault";
    case Outcome::Collided:
        return "collided";
    case Outcome::TooSoon:
        return "too soon after the previous frame";
    case Outcome::UnknownUnit:
        return "unknown unit: gateway exception 0x0B";
    }
    return "";
}

bool ReadsRatios(const RequestRecord& record)
{
    return record.info.function == ModbusFrame::kReadHoldingRegisters &&
           record.info.address == RegisterMap::kCtPrimary &&
           record.info.count == RegisterMap::kPtSecondary - RegisterMap::kCtPrimary + 1;
}

void CRequestLog::Add(RequestRecord record)
{
    {
        std::lock_guard lock(m_mutex);
        m_records.push_back(std::move(record));
        if (m_records.size() > kKept)
            m_records.pop_front();
        ++m_total;
    }
    m_added.notify_all();
}

void CRequestLog::MarkLastCollided()
{
    std::lock_guard lock(m_mutex);
    if (!m_records.empty())
        m_records.back().outcome = Outcome::Collided;
}

std::vector<RequestRecord> CRequestLog::Records() const
{
    std::lock_guard lock(m_mutex);
    return {m_records.begin(), m_records.end()};
}

std::size_t CRequestLog::Total() const
{
    std::lock_guard lock(m_mutex);
    return m_total;
}

bool CRequestLog::WaitForTotal(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_added.wait_for(lock, timeout, [&] { return m_total >= count; });
}

std::optional<RequestRecord> CRequestLog::LastWrite() const
{
    std::lock_guard lock(m_mutex);
    for (auto record = m_records.rbegin(); record != m_records.rend(); ++record) {
        const bool write = record->info.function == 16 || record->info.function == 5;
        if (write && record->outcome == Outcome::Answered &&
            (record->reply.size() < 2 || record->reply[1] < 0x80))
            return *record;
    }
    return std::nullopt;
}

void CRequestLog::Clear()
{
    std::lock_guard lock(m_mutex);
    m_records.clear();
}

std::string CRequestLog::Describe(const RequestRecord& record)
{
    std::string text =
        "[" + Hex(record.request) + "] -> [" + Hex(record.reply) + "] " + OutcomeName(record.outcome);
    if (record.fault)
        text += std::string(" ") + CFaultInjector::Name(*record.fault);
    if (record.outcome == Outcome::RateMismatch)
        text += " (line at " + std::to_string(record.lineBaud) + ")";
    return text;
}
