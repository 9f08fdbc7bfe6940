// How many meters serve keeps on one line at 9600 baud with each meter's realtime page every 5 s and
// its slow pages (energy, demand, max/min and the wiring check) every 50 s, against simulated meters
// with their wire timing on.
// First one meter's requests of a slow interval are timed on the line: their frames give the wire's
// own limit (the bytes at 10 bits a character and the 3.5-character silence before each request),
// their times a model of the line. Then serve polls one meter fewer than the model says the line
// keeps, and as many, for one slow interval each: a count is kept when every meter's realtime
// readings came at most a quarter of an interval late and every slow page was read within the slow
// interval. Each run counts the share of the requests that read the transformer ratios (goal under
// 10 %) and how busy the wire was. Last, a full RS-485 segment of 32 meters, more than the line
// keeps: realtime keeps its 5 s (goal) while the slow pages wait. The model's table of meters per
// line by rate and interval closes the output.
// Run from the release build: build/release/bench/serve_bench [METERS...] (the counts to run instead).
#include "comm/FrameGap.h"
#include "comm/SerialPort.h"
#include "exporter/MeterMetrics.h"
#include "exporter/MeterPoller.h"
#include "reading/CheckRead.h"
#include "reading/MeterLink.h"
#include "sim/RequestLog.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr unsigned kBaud = 9600;
constexpr auto kEvery = std::chrono::seconds(5);
// serve reads the slow pages ten times less often than the realtime page.
constexpr int kSlowFactor = 10;
constexpr auto kSlow = kEvery * kSlowFactor;
// Unit loads on one RS-485 segment without repeaters.
constexpr int kSegment = 32;
constexpr double kLatenessGoal = 0.25;
constexpr double kLimitGoal = 0.9;
constexpr double kRatioShareGoal = 0.10;
// A character on the simulated wire: start bit, eight data bits, stop bit.
constexpr int kBitsPerCharacter = 10;
constexpr const char* kSlowPages[] = {"energy", "demand", "maxmin", "check"};

double WireMs(long long bytes, unsigned baud)
{
    return static_cast<double>(bytes) * kBitsPerCharacter * 1000.0 / baud;
}

double SilenceMs(unsigned baud)
{
    return static_cast<double>(FrameGap::SilenceMicroseconds(baud)) / 1000.0;
}

// Meters at addresses 1 to count on one simulated line with its wire timing, each with a seed of
// its own so that their values differ.
class SimulatedLine
{
public:
    explicit SimulatedLine(int count)
    {
        for (int address = 1; address <= count; ++address) {
            MeterOptions options;
            options.model = ModelMode::Running;
            options.slaveAddress = address;
            options.seed = static_cast<uint32_t>(address);
            m_meters.push_back(std::make_unique<CSimMeter>(options));
        }
        m_server = std::make_unique<CSimServer>(*m_meters.front(), LineTiming{});
        for (std::size_t i = 1; i < m_meters.size(); ++i)
            m_server->AddMeter(*m_meters[i]);
        if (!m_server->Start())
            qFatal("cannot start the simulated line: %s", m_server->Error().c_str());
    }

    CSimServer& Server() { return *m_server; }

    // A link to the line at 9600 baud, opened.
    MeterLink Link() const
    {
        LineSettings settings;
        settings.port = QString::fromStdString(m_server->SlavePath());
        settings.baud = kBaud;
        MeterLink link(settings);
        if (!link.Open())
            qFatal("cannot open the simulated line");
        return link;
    }

private:
    std::vector<std::unique_ptr<CSimMeter>> m_meters;
    std::unique_ptr<CSimServer> m_server;
};

// The requests the line carried, taken from the simulated line's log as they come.
class LineTap
{
public:
    explicit LineTap(const CRequestLog& log) : m_log(log), m_seen(log.Total())
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Take(); });
        m_timer.start(20);
    }

    long long Requests() const { return m_requests; }
    long long RatioReads() const { return m_ratioReads; }
    long long Bytes() const { return m_bytes; }

    void Take()
    {
        const std::vector<RequestRecord> records = m_log.Records();
        const std::size_t total = m_log.Total();
        const std::size_t fresh = std::min(total - m_seen, records.size());
        m_seen = total;
        for (auto record = records.end() - static_cast<std::ptrdiff_t>(fresh); record != records.end();
             ++record) {
            ++m_requests;
            m_ratioReads += ReadsRatios(*record) ? 1 : 0;
            m_bytes += static_cast<long long>(record->request.size() + record->reply.size());
        }
    }

private:
    const CRequestLog& m_log;
    std::size_t m_seen;
    long long m_requests = 0;
    long long m_ratioReads = 0;
    long long m_bytes = 0;
    QTimer m_timer;
};

// When serve finished each meter's readings, as its counts of readings asked show them.
class ReadingWatch
{
public:
    ReadingWatch(const MeterMetrics& metrics, Clock::time_point start)
        : m_metrics(metrics), m_start(start), m_realtime(metrics.Meters().size()),
          m_firstSlow(metrics.Meters().size())
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Look(); });
        m_timer.start(5);
    }

    // The longest wait for a realtime reading of any meter, from the start to the end.
    Seconds LongestGap(Clock::time_point end) const
    {
        Seconds longest{};
        for (const std::vector<Clock::time_point>& times : m_realtime) {
            Clock::time_point previous = m_start;
            for (const Clock::time_point time : times) {
                longest = std::max<Seconds>(longest, time - previous);
                previous = time;
            }
            longest = std::max<Seconds>(longest, end - previous);
        }
        return longest;
    }

    // The longest mean interval between the realtime readings of one meter.
    Seconds MeanInterval() const
    {
        Seconds longest{};
        for (const std::vector<Clock::time_point>& times : m_realtime)
            if (times.size() > 1)
                longest = std::max<Seconds>(longest, (times.back() - times.front()) / (times.size() - 1.0));
        return longest;
    }

    // Slow pages of any meter that were not read by the time given.
    int SlowUnreadBy(Clock::time_point by) const
    {
        int unread = 0;
        for (const auto& pages : m_firstSlow)
            for (const std::optional<Clock::time_point>& first : pages)
                unread += !first || *first > by ? 1 : 0;
        return unread;
    }

private:
    static long long Asked(const MeterState& meter, const char* page)
    {
        const auto count = meter.asked.find(QLatin1String(page));
        return count == meter.asked.end() ? 0 : count->second;
    }

    void Look()
    {
        const Clock::time_point now = Clock::now();
        for (std::size_t m = 0; m < m_realtime.size(); ++m) {
            const MeterState& meter = m_metrics.Meters()[m];
            while (static_cast<long long>(m_realtime[m].size()) < Asked(meter, "realtime"))
                m_realtime[m].push_back(now);
            for (std::size_t p = 0; p < std::size(kSlowPages); ++p)
                if (!m_firstSlow[m][p] && Asked(meter, kSlowPages[p]) > 0)
                    m_firstSlow[m][p] = now;
        }
    }

    const MeterMetrics& m_metrics;
    Clock::time_point m_start;
    std::vector<std::vector<Clock::time_point>> m_realtime;
    std::vector<std::array<std::optional<Clock::time_point>, std::size(kSlowPages)>> m_firstSlow;
    QTimer m_timer;
};

// One meter's requests in a slow interval as serve asks them, with their time on the simulated line.
struct MeterCycle
{
    int exchanges = 0;
    long long bytes = 0;
    double ms = 0;

    // Per request, what the line took beyond the frames' bytes at 9600 baud: the silence before it,
    // the meter's turnaround and serve's own time.
    double OverheadMs() const { return (ms - WireMs(bytes, kBaud)) / exchanges; }
    double MsAt(unsigned baud) const
    {
        return WireMs(bytes, baud) + exchanges * (OverheadMs() - SilenceMs(kBaud) + SilenceMs(baud));
    }
    // The meters whose requests the wire itself carries in a slow interval at 9600 baud.
    double WireLimit() const
    {
        return std::chrono::duration<double, std::milli>(kSlow).count() /
               (WireMs(bytes, kBaud) + exchanges * SilenceMs(kBaud));
    }
    // The meters the model keeps at an interval and a rate.
    int Kept(unsigned baud, double everySeconds) const
    {
        return static_cast<int>(everySeconds * kSlowFactor * 1000.0 / MsAt(baud));
    }
};

// Times one kind of request, as serve makes it, a few times on a line of one meter; the fastest run.
MeterCycle TimeRequests(CSimServer& server, const std::function<bool()>& read)
{
    MeterCycle fastest;
    for (int run = 0; run < 5; ++run) {
        server.Log().Clear();
        QElapsedTimer clock;
        clock.start();
        if (!read())
            qFatal("a request of the simulated meter failed");
        MeterCycle cycle;
        cycle.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        for (const RequestRecord& record : server.Log().Records()) {
            ++cycle.exchanges;
            cycle.bytes += static_cast<long long>(record.request.size() + record.reply.size());
        }
        if (run == 0 || cycle.ms < fastest.ms)
            fastest = cycle;
    }
    return fastest;
}

MeterCycle TimeOneMeter()
{
    SimulatedLine line(1);
    MeterLink link = line.Link();
    const auto read = [&link](const PageReads::Request& request) {
        return [&link, request] { return link.Read(request); };
    };
    const struct
    {
        int times;
        std::function<bool()> read;
    } kinds[] = {
        {kSlowFactor, read(PageReads::kRealtime)},
        {1, read(PageReads::kEnergy)},
        {1, read(PageReads::kDemand)},
        {1, read(PageReads::kMaxMin)},
        {1,
         [&link] {
             CheckInput input;
             QString what;
             return ReadCheckInput([&link](const PageReads::Request& request) { return link.Read(request); },
                                   input, what);
         }},
        {1, [&link] { return link.RefreshRatios(); }},
    };
    MeterCycle cycle;
    for (const auto& kind : kinds) {
        const MeterCycle one = TimeRequests(line.Server(), kind.read);
        cycle.exchanges += kind.times * one.exchanges;
        cycle.bytes += kind.times * one.bytes;
        cycle.ms += kind.times * one.ms;
    }
    SerialPort.Close();
    return cycle;
}

struct Run
{
    int meters = 0;
    double longestGapS = 0;
    double meanIntervalS = 0;
    int slowUnread = 0;
    double ratioShare = 0;
    double busyShare = 0;
    QString said;

    bool RealtimeKept() const { return longestGapS <= Seconds(kEvery).count() * (1 + kLatenessGoal); }
    bool Kept() const { return RealtimeKept() && slowUnread == 0; }
};

// serve's poller on a line of the given meters for the time given.
Run Serve(int meters, Clock::duration time)
{
    SimulatedLine line(meters);
    MeterLink link = line.Link();
    std::vector<int> addresses(static_cast<std::size_t>(meters));
    std::iota(addresses.begin(), addresses.end(), 1);
    MeterMetrics metrics(addresses);
    Run run;
    run.meters = meters;
    QTextStream messages(&run.said);
    const Clock::time_point start = Clock::now();
    LineTap tap(line.Server().Log());
    ReadingWatch watch(metrics, start);
    {
        CMeterPoller poller(link, addresses, kEvery, {}, metrics, messages);
        poller.Run([start, time] { return Clock::now() - start >= time; });
    }
    const Clock::time_point end = Clock::now();
    tap.Take();
    SerialPort.Close();
    run.longestGapS = watch.LongestGap(end).count();
    run.meanIntervalS = watch.MeanInterval().count();
    run.slowUnread = watch.SlowUnreadBy(start + kSlow);
    run.ratioShare =
        static_cast<double>(tap.RatioReads()) / static_cast<double>(std::max(tap.Requests(), 1LL));
    run.busyShare =
        WireMs(tap.Bytes(), kBaud) / std::chrono::duration<double, std::milli>(end - start).count();
    return run;
}

void PrintRunHeading()
{
    std::printf(
        "\n| meters | seconds | realtime: longest wait s | realtime: mean interval s | slow pages unread "
        "after 50 s | ratio reads %%, first ones included | wire busy %% | kept "
        "|\n|---|---|---|---|---|---|---|---|\n");
}

void PrintRun(const Run& run, Clock::duration time)
{
    std::printf("| %d | %.0f | %.2f | %.2f | %d | %.1f | %.0f | %s |\n", run.meters, Seconds(time).count(),
                run.longestGapS, run.meanIntervalS, run.slowUnread, 100 * run.ratioShare, 100 * run.busyShare,
                run.Kept() ? "yes" : (run.RealtimeKept() ? "realtime only" : "no"));
    for (const QString& line : run.said.split('\n', Qt::SkipEmptyParts))
        std::printf("|   | serve said: %s |\n", qPrintable(line));
}

void PrintModel(const MeterCycle& cycle)
{
    std::printf(
        "\nthe model: meters per line that serve keeps, by rate and realtime interval (slow pages ten "
        "times less often), from the requests timed at 9600 baud: %.1f ms per request beyond its "
        "frames, at other rates with the silence of that rate\n\n| baud |",
        cycle.OverheadMs());
    constexpr double kIntervals[] = {1, 2, 5, 10, 30, 60};
    for (const double every : kIntervals)
        std::printf(" %g s |", every);
    std::printf("\n|---|---|---|---|---|---|---|\n");
    for (const unsigned baud : {4800u, 9600u, 19200u, 38400u}) {
        std::printf("| %u |", baud);
        for (const double every : kIntervals)
            std::printf(" %d |", std::min(cycle.Kept(baud, every), kMaxAddress));
        std::printf("\n");
    }
}

std::vector<int> MeterCounts(int argc, char** argv, const MeterCycle& cycle)
{
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::clamp(std::atoi(argv[i]), 1, kMaxAddress));
    const int modelled = cycle.Kept(kBaud, Seconds(kEvery).count());
    if (counts.empty())
        counts = {modelled - 1, modelled};
    return counts;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const MeterCycle cycle = TimeOneMeter();
    std::printf(
        "one meter's requests in 50 s (10 realtime, energy, demand, max/min, the wiring check, the ratios):"
        " %d requests, %lld bytes, %.0f ms on the simulated line at %u baud\n",
        cycle.exchanges, cycle.bytes, cycle.ms, kBaud);
    std::printf("the wire's own limit for them: %.1f meters (%.0f ms of frames and %.1f ms of silence before "
                "each request)\n",
                cycle.WireLimit(), WireMs(cycle.bytes, kBaud), SilenceMs(kBaud));

    const Clock::duration slowInterval = kSlow + std::chrono::seconds(1);
    PrintRunHeading();
    int kept = 0;
    double fullestRatioShare = 0;
    for (const int meters : MeterCounts(argc, argv, cycle)) {
        const Run run = Serve(meters, slowInterval);
        PrintRun(run, slowInterval);
        if (run.Kept())
            kept = std::max(kept, meters);
        fullestRatioShare = run.ratioShare;
    }
    const Clock::duration segmentTime = std::chrono::seconds(25);
    const Run segment = Serve(kSegment, segmentTime);
    PrintRun(segment, segmentTime);

    const double ofLimit = kept / cycle.WireLimit();
    std::printf("\nmeters kept at 5 s and 50 s: %d, %.2f of the wire's limit (goal >= %.1f, %s)\n", kept,
                ofLimit, kLimitGoal, ofLimit >= kLimitGoal ? "met" : "MISSED");
    std::printf("ratio reads on the fullest line: %.1f %% of the requests (goal < %.0f %%, %s)\n",
                100 * fullestRatioShare, 100 * kRatioShareGoal,
                fullestRatioShare < kRatioShareGoal ? "met" : "MISSED");
    std::printf("a segment of %d meters: realtime at most %.2f s apart (goal: 5 s kept, %s)\n", kSegment,
                segment.longestGapS, segment.RealtimeKept() ? "met" : "MISSED");
    PrintModel(cycle);
    return 0;
}
