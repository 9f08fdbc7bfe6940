#pragma once

#include "comm/ExchangeVerdict.h"
#include "diagnosis/Finding.h"
#include "exporter/LineUsage.h"
#include "reading/PageReaders.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <chrono>
#include <map>
#include <optional>
#include <span>
#include <vector>

// What serve knows of one meter: the latest good reading of each page, whether
// its last reading was answered, when it last answered, and how many readings
// were asked of it and failed, by page; and its requests by verdict.
struct MeterState
{
    int address = 0;
    bool up = false;
    std::optional<QDateTime> lastGood;
    std::optional<std::chrono::steady_clock::time_point> realtimeAt; // its latest good realtime reading
    std::map<QString, PageReading> readings;
    std::optional<Diagnosis::CheckResult> check; // the latest wiring check
    std::map<QString, long long> asked;
    std::map<QString, long long> failed;
    // Every request sent to the meter, by what became of it.
    std::array<long long, ExchangeVerdict::KindCount> exchanges{};
};

// The pages serve reads, and the wiring check ("check"): the realtime page at the interval
// given, the others less often.
std::span<const char* const> ServedPages();
inline constexpr const char* kCheckPage = "check";

// The meters' readings as the metrics served over HTTP.
class MeterMetrics
{
public:
    explicit MeterMetrics(const std::vector<int>& addresses);

    const std::vector<MeterState>& Meters() const { return m_meters; }
    // Keeps a good reading; a failed one takes the meter down and drops all its
    // values, so that a meter that stops answering shows no stale values.
    // Returns whether the meter came back up with this reading.
    bool Record(int address, const QString& page, const PageReading& reading, const QDateTime& at);
    // The same for the wiring check: nothing when the meter did not answer its reads.
    bool RecordCheck(int address, const std::optional<Diagnosis::CheckResult>& check, const QDateTime& at);
    // Counts one request sent to a meter and its verdict.
    void CountExchange(int address, ExchangeVerdict::Kind verdict);
    // Notes an exchange's time on the wire.
    void CountLineTime(LineUsage::Clock::duration onWire) { m_line.Carried(onWire, LineUsage::Clock::now()); }

    // The Prometheus text exposition of every meter.
    QByteArray Exposition() const;

private:
    // Counts a reading of the page; a failed one takes the meter down and drops all its values.
    MeterState* Count(int address, const QString& page, bool ok);

    std::vector<MeterState> m_meters;
    LineUsage m_line{LineUsage::Clock::now()};
};
