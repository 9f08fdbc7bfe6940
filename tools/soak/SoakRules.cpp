#include "SoakRules.h"

#include "comm/ModbusFrame.h"
#include "sim/FaultInjector.h"
#include "sim/SimServer.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr std::size_t kRecentKept = 10;
// The harmonic table is read in nine blocks of 21 from 400.
constexpr int kHarmonicFirst = RegisterMap::kHarmonics;
constexpr int kHarmonicLast = RegisterMap::kHarmonics + 8 * 21;
constexpr int kAttemptsPerBlock = 3;
constexpr int kFailuresBeforeStop = 6;

bool IsRead(const RequestRecord& record)
{
    return record.info.function == ModbusFrame::kReadHoldingRegisters;
}

bool IsHarmonicBlock(int start)
{
    return start >= kHarmonicFirst && start <= kHarmonicLast && (start - kHarmonicFirst) % 21 == 0;
}

std::string FailureName(const RequestRecord& record)
{
    if (record.outcome == Outcome::Faulted && record.fault)
        return CFaultInjector::Name(*record.fault);
    return CRequestLog::OutcomeName(record.outcome);
}

std::string Describe(const RequestRecord& record)
{
    return CRequestLog::Describe(record);
}
} // namespace

bool AnsweredWell(const RequestRecord& record)
{
    return record.outcome == Outcome::Answered && !record.reply.empty() &&
           (record.reply[1] & ModbusFrame::kExceptionFlag) == 0;
}

SoakRules::SoakRules(CSimServer& server) : m_server(server), m_seen(server.Log().Total()) {}

void SoakRules::Collect()
{
    const std::size_t total = m_server.Log().Total();
    const std::vector<RequestRecord> records = m_server.Log().Records();
    const std::size_t added = total - m_seen;
    if (added > records.size())
        Violated("the soak fell behind the meter's log: " + std::to_string(added - records.size()) +
                 " requests went unchecked");
    for (std::size_t i = records.size() - std::min(added, records.size()); i < records.size(); ++i)
        Check(records[i]);
    m_seen = total;
}

void SoakRules::AllowAnything(int start, int count)
{
    m_allowed.clear();
    for (int address = start; address < start + count; ++address)
        m_allowed[address] = {};
}

void SoakRules::Check(const RequestRecord& record)
{
    ++m_requests;
    if (AnsweredWell(record)) {
        ++m_answered;
        ++m_answeredAt[record.info.address];
    } else if (record.outcome != Outcome::Answered)
        ++m_failures[FailureName(record)];
    if (IsRead(record)) {
        ++m_reads;
        CheckHarmonicAttempts(record);
    } else {
        ++m_writes;
        CheckWrite(record);
    }
    auto& recent = m_recentByStart[record.info.address];
    recent.push_back(record);
    if (recent.size() > kRecentKept)
        recent.erase(recent.begin());
    m_last = record;
}

// Every register written holds what the user entered or the page loaded.
void SoakRules::CheckWrite(const RequestRecord& record)
{
    if (record.info.function == ModbusFrame::kWriteSingleCoil)
        return;
    for (int i = 0; i < record.info.count; ++i) {
        const int address = record.info.address + i;
        const auto allowed = m_allowed.find(address);
        if (allowed == m_allowed.end()) {
            Violated("wrote register " + std::to_string(address) +
                     " that no command of the user writes: " + Describe(record));
            return;
        }
        const uint16_t value = i < static_cast<int>(record.info.values.size()) ? record.info.values[i] : 0;
        const std::vector<uint16_t>& values = allowed->second;
        if (!values.empty() && std::find(values.begin(), values.end(), value) == values.end()) {
            Violated("wrote " + std::to_string(value) + " to register " + std::to_string(address) +
                     ", neither entered nor loaded: " + Describe(record));
            return;
        }
    }
}

// A harmonic block is asked at most three times in a row before the poll gives up.
void SoakRules::CheckHarmonicAttempts(const RequestRecord& record)
{
    const bool sameBlock = m_last && IsRead(*m_last) && m_last->info.address == record.info.address;
    if (!IsHarmonicBlock(record.info.address) || !sameBlock || AnsweredWell(*m_last))
        m_failedInARow = 0;
    if (IsHarmonicBlock(record.info.address) && !AnsweredWell(record) && ++m_failedInARow > kAttemptsPerBlock)
        Violated("harmonic block " + std::to_string(record.info.address) + " asked a fourth time after " +
                 std::to_string(kAttemptsPerBlock) + " failures");
}

// "Communication Fail!" stops a poll only after its sixth failure in a row: the
// last six reads of the block the meter saw last all failed.
void SoakRules::MessageShown(const std::string& text, const std::string& caption)
{
    Collect();
    ++m_messages[caption + ": " + text];
    // A harmonic poll that gave up ends its attempts; the next poll starts afresh.
    if (text == "Communication Fail")
        m_failedInARow = 0;
    if (text != "Communication Fail!" || !m_last)
        return;
    const std::vector<RequestRecord> recent = LastAt(m_last->info.address);
    const std::size_t failed = static_cast<std::size_t>(std::count_if(
        recent.rbegin(), recent.rbegin() + std::min<std::ptrdiff_t>(kFailuresBeforeStop, std::ssize(recent)),
        [](const RequestRecord& r) { return !AnsweredWell(r); }));
    if (recent.size() >= kFailuresBeforeStop && failed < kFailuresBeforeStop)
        Violated("\"Communication Fail!\" after only " + std::to_string(failed) +
                 " failures in the last six reads of " + std::to_string(m_last->info.address));
}

// Told at once as well, so that a long run shows what went wrong when it went wrong.
void SoakRules::Violated(const std::string& rule)
{
    std::fprintf(stderr, "rule broken: %s\n", rule.c_str());
    m_violations.push_back(rule);
}

std::vector<RequestRecord> SoakRules::LastAt(int start) const
{
    const auto found = m_recentByStart.find(start);
    return found == m_recentByStart.end() ? std::vector<RequestRecord>{} : found->second;
}

std::size_t SoakRules::AnsweredAt(int start) const
{
    const auto found = m_answeredAt.find(start);
    return found == m_answeredAt.end() ? 0 : found->second;
}
