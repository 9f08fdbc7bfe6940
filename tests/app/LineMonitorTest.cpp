#include "MainWindowFixture.h"
#include "WaitUntil.h"
#include "app/LineMonitorWindow.h"
#include "comm/ExchangeVerdict.h"
#include "comm/FrameLog.h"
#include "comm/ModbusRtu.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
using Kind = ExchangeVerdict::Kind;

// The main window on the realtime page, polling the simulated meter, with the line monitor open.
class LineMonitorTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        Visit(1);
        main.ShowLineMonitor();
        ASSERT_TRUE(WaitUntil([&] { return Counters().Count(ExchangeVerdict::Answered) >= 2; }));
    }

    const LineCounters& Counters() const { return main.LineMonitor()->Counters(); }

    // One fault on the next request the meter answers, and the verdict the monitor counts for it.
    void ExpectCountedOnce(FaultMode fault, Kind verdict)
    {
        const int64_t before = Counters().Count(verdict);
        line.Server().Faults().FailNext(fault, 1);
        ASSERT_TRUE(WaitUntil([&] { return Counters().Count(verdict) > before; })) << VerdictName(verdict);
        // Two more answered exchanges: the fault is used up and counted no more.
        const int64_t answered = Counters().Count(ExchangeVerdict::Answered);
        ASSERT_TRUE(WaitUntil([&] { return Counters().Count(ExchangeVerdict::Answered) >= answered + 2; }));
        EXPECT_EQ(Counters().Count(verdict), before + 1) << VerdictName(verdict);
    }
};
} // namespace

TEST_F(LineMonitorTest, countsEachFaultOfTheMeterOnceUnderItsVerdict)
{
    main.LineMonitor()->Clear();
    ExpectCountedOnce(FaultMode::NoReply, ExchangeVerdict::NoReply);
    ExpectCountedOnce(FaultMode::BadCrc, ExchangeVerdict::BadCrc);
    ExpectCountedOnce(FaultMode::Exception, ExchangeVerdict::Exception);
    ExpectCountedOnce(FaultMode::ShortReply, ExchangeVerdict::Short);
    ExpectCountedOnce(FaultMode::Garbage, ExchangeVerdict::Foreign);

    const LineCounters& counters = Counters();
    int64_t judged = 0;
    for (int kind = 0; kind < ExchangeVerdict::KindCount; ++kind)
        if (kind != ExchangeVerdict::NotSent && kind != ExchangeVerdict::Echo)
            judged += counters.Count(static_cast<Kind>(kind));
    EXPECT_EQ(counters.Requests(), judged);
    EXPECT_EQ(counters.Requests(), counters.Count(ExchangeVerdict::Answered) + 5);
    EXPECT_LE(counters.MeanReplyMs(), static_cast<double>(counters.LongestReplyMs()));

    // The last fault's line is written out last.
    ASSERT_TRUE(WaitUntil([&] { return main.LineMonitor()->Text().contains(QLatin1String("foreign")); }));
    const QString text = main.LineMonitor()->Text();
    for (const char* verdict :
         {"no reply", "bad CRC", "exception 4: slave device failure", "short", "answered"})
        EXPECT_TRUE(text.contains(QLatin1String(verdict))) << verdict;
}

TEST_F(LineMonitorTest, showsARequestKeptOffTheLineWithItsReasonAnEchoAndStrayBytesWithoutCountingRequests)
{
    main.LineMonitor()->Clear();
    main.SetSlaveIdText(QStringLiteral("0"));
    ASSERT_TRUE(WaitUntil([&] { return Counters().Count(ExchangeVerdict::NotSent) >= 1; }));
    const int64_t requests = Counters().Requests();
    uint8_t request[8];
    const int length = ModbusRtu.BuildReadRegisters(request, 1, 0, 2);
    FrameLog(request, length).Echo(request, length);
    FrameLog::Stray(4096, 0);
    EXPECT_EQ(Counters().Count(ExchangeVerdict::Echo), 1);
    EXPECT_EQ(Counters().Count(ExchangeVerdict::Foreign), 1);
    EXPECT_EQ(Counters().Requests(), requests);
    ASSERT_TRUE(WaitUntil([&] {
        const QString text = main.LineMonitor()->Text();
        return text.contains(QLatin1String("outside 1 to 247")) && text.contains(QLatin1String("echo")) &&
               text.contains(QLatin1String("4096 bytes that answer no request"));
    }));
}

TEST_F(LineMonitorTest, pauseHoldsTheTextWhileTheCountersGoOnAndSaveWritesBoth)
{
    CLineMonitorWindow& monitor = *main.LineMonitor();
    monitor.SetPaused(true);
    const QString held = monitor.Text();
    const int64_t answered = Counters().Count(ExchangeVerdict::Answered);
    ASSERT_TRUE(WaitUntil([&] { return Counters().Count(ExchangeVerdict::Answered) >= answered + 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(monitor.Text(), held);
    monitor.SetPaused(false);
    EXPECT_GT(monitor.Text().size(), held.size());

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("line.txt"));
    ASSERT_TRUE(monitor.SaveText(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(saved.startsWith(QStringLiteral("Requests %1").arg(Counters().Requests())));
    EXPECT_TRUE(saved.contains(monitor.Text()));
}

TEST_F(LineMonitorTest, f12OpensTheMonitorAndClosingItStopsTheWatching)
{
    main.LineMonitor()->close();
    EXPECT_FALSE(LineObserved());
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F12);
    ASSERT_TRUE(main.LineMonitor()->isVisible());
    EXPECT_TRUE(LineObserved());
    EXPECT_EQ(Counters().Requests(), 0); // opened again: counted afresh
    ASSERT_TRUE(WaitUntil([&] { return Counters().Count(ExchangeVerdict::Answered) >= 1; }));
}
