// Each page's poll and each command against the in-process simulated meter
// with its line timing on, at 9600 and 19200 baud. Per row: the exchanges, the
// bytes on the wire and their time, the budget (wire time + the meter's
// turnaround + 5 ms per exchange, plus the waits that stay fixed), the duration
// with replies taken when complete and with VEMO400_FIXED_WAITS=1, and the
// longest stall of the event loop (the lateness of a 5 ms heartbeat) in each;
// last, the Harmonic poll once more with the line monitor open.
// Then the window thread's CPU time and wake-ups per second while the Common
// Data and Harmonic pages poll at 9600 baud, as the window polls them; the
// Harmonic poll again with the line monitor open.
// The wiring check's reads at 9600 baud, as a ratio to their wire time (goal at most 1.2).
// Last, the time from closing the main window during a wait to the end of the
// program's event loop. Run from the release build: build/release/bench/line_bench
#include "app/LineMonitorWindow.h"
#include "app/MainDlg.h"
#include "comm/SerialPort.h"
#include "framework/MessageBox.h"
#include "framework/SequenceQueue.h"
#include "meter/BlockRead.h"
#include "pages/CommonDataPage.h"
#include "pages/DemandPage.h"
#include "pages/EnergyPage.h"
#include "pages/HarmonicPage.h"
#include "pages/IoPage.h"
#include "pages/MainWindowLink.h"
#include "pages/MaxMinPage.h"
#include "pages/MeterSetPage.h"
#include "pages/RealtimeDataPage.h"
#include "pages/SoePage.h"
#include "reading/CheckRead.h"
#include "resources/ControlIds.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {
constexpr int kRuns = 5;
constexpr double kPerExchangeMs = 5.0;
constexpr double kStallGoalMs = 30.0;
constexpr int kPollingSeconds = 10;
constexpr double kCheckReadGoal = 1.2;

// CPU time and wake-ups (voluntary context switches) of the calling thread:
// the window's, apart from the simulated meter's own thread.
struct ThreadUsage
{
    double cpuSeconds = 0;
    long wakeUps = 0;

    static ThreadUsage Now()
    {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
        return {seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_nvcsw};
    }
};

struct PollingGoal
{
    const char* name;
    double cpuPercent;
    double wakeUpsPerSecond;
};

class PanelStub : public IMainWindow
{
public:
    QString SlaveIdText() const override { return QStringLiteral("1"); }
    void SetSlaveIdText(const QString&) override {}
    int BaudPosition() const override { return 1; }
    void SelectBaud(int) override {}
    bool OpenPort() override { return true; }
    void ValuesPolled(int, std::span<const PolledValue>) override {}
    void ShowTrend(int, const PolledValue&) override {}
};

// The longest lateness of a 5 ms timer while the event loop runs, and of the
// time after its last beat.
class Heartbeat
{
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kBeatMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Beat(); });
    }
    void Start()
    {
        m_latest = 0;
        m_sinceBeat.start();
        m_timer.start();
    }
    double Stop()
    {
        Beat();
        m_timer.stop();
        return m_latest;
    }

private:
    static constexpr int kBeatMs = 5;
    void Beat()
    {
        m_latest = std::max(m_latest, m_sinceBeat.nsecsElapsed() / 1e6 - kBeatMs);
        m_sinceBeat.restart();
    }
    QTimer m_timer;
    QElapsedTimer m_sinceBeat;
    double m_latest = 0;
};

struct Sample
{
    int exchanges = 0;
    int bytes = 0;
    double durationMs = 0;
    double stallMs = 0;
};

struct Case
{
    const char* name;
    CMeterPage* page;
    std::function<void()> run;
    int fixedWaitMs; // waits that stay fixed: clearing the line
};

class LineBench
{
public:
    explicit LineBench(int baud) : m_baud(baud), m_meter(Options(baud)), m_server(m_meter, LineTiming{})
    {
        if (!m_server.Start() ||
            !SerialPort.Open(m_server.SlavePath().c_str(), static_cast<unsigned>(baud), 0))
            qFatal("cannot start the simulated meter");
        m_realtime = Make<CRealtimeDataPage>();
        m_common = Make<CCommonDataPage>();
        m_harmonic = Make<CHarmonicPage>();
        m_demand = Make<CDemandPage>();
        m_energy = Make<CEnergyPage>();
        m_maxMin = Make<CMaxMinPage>();
        m_io = Make<CIoPage>();
        m_meterSet = Make<CMeterSetPage>();
        m_soe = Make<CSoePage>();
        m_harmonic->Start();
    }
    ~LineBench() { SerialPort.Close(); }

    void PrintTable()
    {
        std::printf(
            "\n%d baud (turnaround %.0f ms, budget = wire + %.0f ms + turnaround per exchange + fixed "
            "waits)\n\n",
            m_baud, Turnaround(), kPerExchangeMs);
        std::printf(
            "| sequence | exchanges | bytes | wire ms | budget ms | taken when complete ms | fixed waits ms "
            "| stall ms (complete / fixed) | goals |\n|---|---|---|---|---|---|---|---|---|\n");
        for (const Case& row : Cases())
            PrintRow(row);
        CLineMonitorWindow monitor;
        monitor.show();
        PrintRow({"Harmonic poll, line monitor open", m_harmonic, Poll(m_harmonic), 0});
    }

    // The check reads block A, the realtime block and the harmonic table in few requests: how near
    // does it come to the time the bytes themselves need on the wire?
    void PrintCheckReads()
    {
        const Sample sample = Measure([] {
            CheckInput input;
            QString failed;
            if (!ReadCheckInput(PageReads::Read, input, failed))
                qFatal("the wiring check's reads failed: %s", qPrintable(failed));
        });
        const double wireMs = sample.bytes * 10000.0 / m_baud;
        const double ratio = sample.durationMs / wireMs;
        std::printf("\nwiring check reads at %d baud: %d exchanges, %d bytes, %.1f ms on the wire, %.1f ms "
                    "taken: %.2f times the wire time (goal <= 1.2, %s)\n",
                    m_baud, sample.exchanges, sample.bytes, wireMs, sample.durationMs, ratio,
                    ratio <= kCheckReadGoal ? "met" : "MISSED");
    }

    // Each polling page on its own timer, the others stopped, for kPollingSeconds.
    void PrintPolling()
    {
        std::printf("\nwhile a page polls at %d baud (%d s; goal CPU %% of a core / wake-ups a second)\n\n",
                    m_baud, kPollingSeconds);
        std::printf("| page | requests | CPU %% | wake-ups/s | goals |\n|---|---|---|---|---|\n");
        // As the window sets it when it opens the port at 9600 baud.
        PollIntervalMs = 300;
        CMeterPage* common = Make<CCommonDataPage>();
        PrintPolling({"Common Data", 0.3, 30}, common, [] {});
        CMeterPage* harmonic = Make<CHarmonicPage>();
        PrintPolling({"Harmonic", 1.0, 60}, harmonic, [harmonic] { harmonic->Start(); });
        CLineMonitorWindow monitor;
        monitor.show();
        PrintPolling({"Harmonic, line monitor open", 1.0, 60}, harmonic, [harmonic] { harmonic->Start(); });
    }

private:
    void PrintPolling(const PollingGoal& goal, CMeterPage* page, const std::function<void()>& start)
    {
        for (const auto& other : m_pages)
            if (other.get() != page)
                other->KillTimer(1);
        CurrentPage = page->PageNumber();
        start();
        const std::size_t requestsBefore = m_server.Log().Total();
        const ThreadUsage before = ThreadUsage::Now();
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer::singleShot(kPollingSeconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const ThreadUsage after = ThreadUsage::Now();
        const double seconds = clock.nsecsElapsed() / 1e9;
        page->KillTimer(1);
        const double cpuPercent = 100.0 * (after.cpuSeconds - before.cpuSeconds) / seconds;
        const double wakeUps = static_cast<double>(after.wakeUps - before.wakeUps) / seconds;
        const bool met = cpuPercent <= goal.cpuPercent && wakeUps <= goal.wakeUpsPerSecond;
        std::printf("| %s | %zu | %.2f | %.0f | %s |\n", goal.name, m_server.Log().Total() - requestsBefore,
                    cpuPercent, wakeUps, met ? "met" : "MISSED");
    }

    static MeterOptions Options(int baud)
    {
        MeterOptions options;
        options.baud = baud;
        return options;
    }

    template <class Page> CMeterPage* Make()
    {
        m_pages.push_back(std::make_unique<Page>(m_panel, nullptr));
        m_pages.back()->Create();
        return m_pages.back().get();
    }

    double Turnaround() const { return m_server.Timing().turnaround.count() / 1000.0; }

    static std::function<void()> Poll(CMeterPage* page)
    {
        return [page] {
            CurrentPage = page->PageNumber();
            page->Poll();
        };
    }
    static std::function<void()> Click(CMeterPage* page, int button)
    {
        return [page, button] { page->DlgItem<QAbstractButton>(button)->click(); };
    }

    std::vector<Case> Cases()
    {
        return {
            {"Realtime Data poll", m_realtime, Poll(m_realtime), 0},
            {"Common Data poll", m_common, Poll(m_common), 0},
            {"Harmonic poll", m_harmonic, Poll(m_harmonic), 0},
            {"Demand poll", m_demand, Poll(m_demand), 0},
            {"Energy poll", m_energy, Poll(m_energy), 0},
            {"Max/Min poll", m_maxMin, Poll(m_maxMin), 0},
            {"I/O status poll", m_io, Poll(m_io), 0},
            {"Meter Set: Load", m_meterSet, Click(m_meterSet, MeterSetIds::kLoadButton), 0},
            {"Meter Set: Set", m_meterSet, Click(m_meterSet, MeterSetIds::kSetButton), 0},
            {"I/O: Load", m_io, Click(m_io, IoIds::kLoadButton), 100},
            {"I/O: Set", m_io, Click(m_io, IoIds::kSetButton), 200},
            {"I/O: relay 1 on", m_io, Click(m_io, IoIds::kRelay1CloseButton), 100},
            {"SOE: events", m_soe, Click(m_soe, SoeIds::kReadEventsButton), 0},
            {"SOE: set clock", m_soe, Click(m_soe, SoeIds::kSetClockButton), 0},
            {"Max/Min: clear", m_maxMin, Click(m_maxMin, MaxMinIds::kClearButton), 0},
            {"Energy: clear", m_energy, Click(m_energy, EnergyIds::kClearButton), 0},
            {"Demand: clear", m_demand, Click(m_demand, DemandIds::kClearButton), 0},
        };
    }

    // One run through the queue, as a tick or a click would start it, with every page's timer stopped.
    Sample Measure(const std::function<void()>& run)
    {
        for (const auto& page : m_pages)
            page->KillTimer(1);
        m_server.Log().Clear();
        Heartbeat heartbeat;
        QElapsedTimer clock;
        heartbeat.Start();
        clock.start();
        SequenceQueue().Run(run);
        Sample sample;
        sample.durationMs = clock.nsecsElapsed() / 1e6;
        sample.stallMs = heartbeat.Stop();
        for (const RequestRecord& record : m_server.Log().Records()) {
            ++sample.exchanges;
            sample.bytes += static_cast<int>(record.request.size() + record.reply.size());
        }
        return sample;
    }

    void PrintRow(const Case& row)
    {
        std::vector<Sample> live;
        for (int run = 0; run < kRuns; ++run)
            live.push_back(Measure(row.run));
        qputenv("VEMO400_FIXED_WAITS", "1");
        const Sample fixed = Measure(row.run);
        qunsetenv("VEMO400_FIXED_WAITS");

        std::sort(live.begin(), live.end(),
                  [](const Sample& a, const Sample& b) { return a.durationMs < b.durationMs; });
        const Sample& median = live[live.size() / 2];
        double stall = 0;
        for (const Sample& sample : live)
            stall = std::max(stall, sample.stallMs);
        const double wireMs = median.bytes * 10000.0 / m_baud;
        const double budgetMs = wireMs + median.exchanges * (Turnaround() + kPerExchangeMs) + row.fixedWaitMs;
        const bool met =
            median.durationMs <= budgetMs && stall <= kStallGoalMs && fixed.stallMs <= kStallGoalMs;
        std::printf("| %s | %d | %d | %.1f | %.1f | %.1f | %.0f | %.1f / %.1f | %s |\n", row.name,
                    median.exchanges, median.bytes, wireMs, budgetMs, median.durationMs, fixed.durationMs,
                    stall, fixed.stallMs, met ? "met" : "MISSED");
    }

    int m_baud;
    CSimMeter m_meter;
    CSimServer m_server;
    PanelStub m_panel;
    std::vector<std::unique_ptr<CMeterPage>> m_pages;
    CMeterPage* m_realtime = nullptr;
    CMeterPage* m_common = nullptr;
    CMeterPage* m_harmonic = nullptr;
    CMeterPage* m_demand = nullptr;
    CMeterPage* m_energy = nullptr;
    CMeterPage* m_maxMin = nullptr;
    CMeterPage* m_io = nullptr;
    CMeterPage* m_meterSet = nullptr;
    CMeterPage* m_soe = nullptr;
};

// The realtime page polls a silent meter; the window is closed in the middle of
// the 500 ms wait of its measurement read.
double CloseDuringAWait(QApplication& app)
{
    CSimMeter meter;
    CSimServer server(meter, LineTiming{});
    if (!server.Start())
        qFatal("cannot start the simulated meter");
    qputenv("VEMO400_COM1", QByteArray::fromStdString(server.SlavePath()));
    CMainDlg main;
    main.Create();
    main.show();
    main.Tree().setCurrentItem(main.Tree().topLevelItem(0)->child(0));
    server.PullCable();
    QElapsedTimer sinceClose;
    QTimer::singleShot(800, &main, [&] {
        sinceClose.start();
        main.close();
    });
    app.exec();
    return sinceClose.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetMessageBoxFunction([](const QString&, const QString&, MessageIcon) {});
    for (int baud : {9600, 19200}) {
        LineBench bench(baud);
        bench.PrintTable();
        if (baud == 9600) {
            bench.PrintCheckReads();
            bench.PrintPolling();
        }
    }
    std::printf(
        "\nclosing the main window during a wait: the event loop ends %.1f ms later (goal <= 200 ms)\n",
        CloseDuringAWait(app));
    return 0;
}
