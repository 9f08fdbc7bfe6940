// vemo400-soak: the tool's window, offscreen, against the simulated meter on a
// line that misbehaves in every way the meter knows, for a number of polls or
// minutes; then the faults stop and every polling page must answer again.
// Prints a progress line while it runs and a report at the end; exits 1 when
// any rule was broken.

#include "SoakDriver.h"
#include "SoakRules.h"
#include "app/MainDlg.h"
#include "framework/MessageBox.h"
#include "pages/MainWindowLink.h"
#include "pages/MeterPage.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr double kFaultProbability = 0.05;
constexpr auto kStepEvery = 1s;
constexpr auto kProgressEvery = 10s;
constexpr auto kRecoveryLimit = 4s;

struct Options
{
    long polls = 10000;
    double minutes = 0; // 0: until the polls are done
    unsigned seed = 1;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        char* end = nullptr;
        const double value = std::strtod(argv[i + 1], &end);
        if (*end != '\0' || !(value >= 0 && value <= 1e7))
            return false;
        if (std::strcmp(argv[i], "--polls") == 0)
            options.polls = static_cast<long>(value);
        else if (std::strcmp(argv[i], "--minutes") == 0)
            options.minutes = value;
        else if (std::strcmp(argv[i], "--seed") == 0)
            options.seed = static_cast<unsigned>(value);
        else
            return false;
    }
    return argc % 2 == 1;
}

double ResidentMegabytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void StartFaults(CSimServer& server)
{
    for (int mode = 0; mode < static_cast<int>(FaultMode::Count); ++mode)
        server.Faults().FailWithProbability(static_cast<FaultMode>(mode), kFaultProbability);
}

// The first register each page polls, by page number.
constexpr int kNotPolling = -1;
constexpr int kPolledBlock[] = {kNotPolling, 100, 0, kNotPolling, 137, 400, 300, 200, 600, kNotPolling};
constexpr int kCommonDataPage = 2;
constexpr int kMaxMinPage = 8;

class Soak
{
public:
    Soak(const Options& options, CMainDlg& main, CSimMeter& meter, CSimServer& server)
        : m_options(options), m_main(main), m_server(server), m_rules(server), m_driver(main, meter, m_rules),
          m_random(options.seed)
    {
    }

    SoakRules& Rules() { return m_rules; }

    int Run()
    {
        m_startMb = ResidentMegabytes();
        m_start = Clock::now();
        StartFaults(m_server);
        m_driver.Choose(0);
        while (!Done())
            Tick();
        Recover();
        Report();
        return m_rules.Violations().empty() ? 0 : 1;
    }

private:
    bool Done() const
    {
        if (m_options.minutes > 0)
            return Clock::now() - m_start >= std::chrono::duration<double, std::ratio<60>>(m_options.minutes);
        return static_cast<long>(m_rules.Reads()) >= m_options.polls;
    }

    void Tick()
    {
        SoakDriver::RunEventsFor(100ms);
        m_rules.Collect();
        const Clock::time_point now = Clock::now();
        if (now >= m_nextStep) {
            m_driver.Step();
            m_nextStep = now + kStepEvery;
        }
        // Now and then the cable comes out for one to three seconds.
        if (std::uniform_int_distribution<int>(0, 200)(m_random) == 0)
            m_server.PullCable(
                std::chrono::milliseconds(std::uniform_int_distribution<int>(1000, 3000)(m_random)));
        if (now >= m_nextProgress) {
            Progress();
            m_nextProgress = now + kProgressEvery;
        }
    }

    void Progress() const
    {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_start).count();
        std::printf("%5lds  polls %zu  commands %zu  failed requests %zu  messages %zu  rss %.1f MB  "
                    "violations %zu\n",
                    static_cast<long>(seconds), m_rules.Reads(), m_driver.Commands(),
                    m_rules.Requests() - m_rules.Answered(), MessageCount(), ResidentMegabytes(),
                    m_rules.Violations().size());
        std::fflush(stdout);
    }

    std::size_t MessageCount() const
    {
        std::size_t count = 0;
        for (const auto& [text, n] : m_rules.Messages())
            count += n;
        return count;
    }

    // The faults stop; each polling page, chosen again, must answer.
    void Recover()
    {
        m_server.Faults().StopAll();
        m_server.PlugCable();
        SoakDriver::RunEventsFor(1500ms);
        m_rules.Collect();
        m_recoveryRequests = m_rules.Requests();
        m_recoveryAnswered = m_rules.Answered();
        for (int position = 0; position < CMainDlg::kPageCount; ++position) {
            const int page = m_driver.Choose(position);
            if (page < 1 || page > CMainDlg::kPageCount) {
                m_rules.Violated("choosing tree entry " + std::to_string(position) + " left no page current");
                continue;
            }
            const int block = kPolledBlock[page];
            if (block == kNotPolling)
                continue;
            if (AnswersWithin(block, kRecoveryLimit))
                continue;
            // Common data and max/min stay stopped for the run after their sixth failure.
            if ((page == kCommonDataPage || page == kMaxMinPage) && !m_main.Page(page)->IsTimerRunning(1))
                m_stoppedForTheRun.push_back(page);
            else
                m_rules.Violated("page " + std::to_string(page) + " did not answer again once chosen");
        }
        m_recoveryRequests = m_rules.Requests() - m_recoveryRequests;
        m_recoveryAnswered = m_rules.Answered() - m_recoveryAnswered;
    }

    // Lets the events run until the meter has answered a read of the block, or the time is up.
    bool AnswersWithin(int block, Clock::duration time)
    {
        const std::size_t before = m_rules.AnsweredAt(block);
        for (const Clock::time_point end = Clock::now() + time; Clock::now() < end;) {
            SoakDriver::RunEventsFor(100ms);
            m_rules.Collect();
            if (m_rules.AnsweredAt(block) > before)
                return true;
        }
        return false;
    }

    void Report() const
    {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_start).count();
        std::printf("\nsoak report after %ld s\n", static_cast<long>(seconds));
        std::printf("  polls (reads) %zu, commands pressed %zu, writes the meter saw %zu\n", m_rules.Reads(),
                    m_driver.Commands(), m_rules.Writes());
        std::printf("  requests %zu, answered as asked %zu\n", m_rules.Requests(), m_rules.Answered());
        std::printf("  failures by kind:\n");
        for (const auto& [kind, count] : m_rules.Failures())
            std::printf("    %-14s %zu\n", kind.c_str(), count);
        std::printf("  messages shown:\n");
        for (const auto& [text, count] : m_rules.Messages())
            std::printf("    %zu x %s\n", count, text.c_str());
        std::printf("  recovery after the faults stopped: %zu of %zu requests answered (%.1f %%)\n",
                    m_recoveryAnswered, m_recoveryRequests,
                    m_recoveryRequests ? 100.0 * static_cast<double>(m_recoveryAnswered) /
                                             static_cast<double>(m_recoveryRequests)
                                       : 0.0);
        for (int page : m_stoppedForTheRun)
            std::printf("  page %d stayed stopped for the run after its sixth failure, as designed\n", page);
        std::printf("  resident memory: %.1f MB at the start, %.1f MB at the end\n", m_startMb,
                    ResidentMegabytes());
        std::printf("  violated rules: %zu\n", m_rules.Violations().size());
        for (const std::string& violation : m_rules.Violations())
            std::printf("    %s\n", violation.c_str());
    }

    const Options& m_options;
    CMainDlg& m_main;
    CSimServer& m_server;
    SoakRules m_rules;
    SoakDriver m_driver;
    std::mt19937 m_random;
    Clock::time_point m_start;
    Clock::time_point m_nextStep;
    Clock::time_point m_nextProgress;
    double m_startMb = 0;
    std::size_t m_recoveryRequests = 0;
    std::size_t m_recoveryAnswered = 0;
    std::vector<int> m_stoppedForTheRun;
};
} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: vemo400-soak [--polls N (10000)] [--minutes M] [--seed S]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    MeterOptions meterOptions;
    meterOptions.model = ModelMode::Running;
    meterOptions.seed = options.seed;
    CSimMeter meter(meterOptions);
    meter.SetInput(1, true);
    CSimServer server(meter);
    if (!server.Start()) {
        std::fprintf(stderr, "vemo400-soak: cannot start the simulated meter: %s\n", server.Error().c_str());
        return 1;
    }
    qputenv("VEMO400_COM1", QByteArray::fromStdString(server.SlavePath()));
    CurrentPage = 100;
    CMainDlg main;
    main.Create();
    main.show();
    Soak soak(options, main, meter, server);
    SetMessageBoxFunction([&soak](const QString& text, const QString& caption, MessageIcon) {
        soak.Rules().MessageShown(text.toStdString(), caption.toStdString());
    });
    const int status = soak.Run();
    SetMessageBoxFunction({});
    server.Stop();
    return status;
}
