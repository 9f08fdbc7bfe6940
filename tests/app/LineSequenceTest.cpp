#include "MainWindowFixture.h"
#include "PageFixture.h"
#include "comm/LineWait.h"
#include "comm/ModbusRtu.h"
#include "framework/SequenceQueue.h"
#include "pages/CommonDataPage.h"
#include "pages/DemandPage.h"
#include "pages/EnergyPage.h"
#include "pages/HarmonicPage.h"
#include "pages/IoPage.h"
#include "pages/MaxMinPage.h"
#include "pages/MeterSetPage.h"
#include "pages/RealtimeDataPage.h"

#include <QTimer>
#include <ostream>

namespace {
// One page's poll, or Meter Set's Set after a Load.
struct Sequence
{
    const char* name;
    std::function<std::unique_ptr<CMeterPage>(IMainWindow&)> make;
    std::function<void(CMeterPage&)> run;
};

template <class Page> std::unique_ptr<CMeterPage> Make(IMainWindow& main)
{
    auto page = std::make_unique<Page>(main, nullptr);
    page->Create();
    return page;
}

void PollAsCurrent(CMeterPage& page)
{
    CurrentPage = page.PageNumber();
    page.Poll();
}

void PrintTo(const Sequence& sequence, std::ostream* out)
{
    *out << sequence.name;
}

// The page as after its selection, with the main window's slave address.
class FixedWaitsTest : public ::testing::TestWithParam<Sequence>
{
protected:
    void SetUp() override
    {
        SlaveId = 1;
        page->Start();
    }

    std::vector<Frame> Sent(bool fixedWaits)
    {
        qputenv("VEMO400_FIXED_WAITS", fixedWaits ? "1" : "0");
        line.ClearRequests();
        GetParam().run(*page);
        std::vector<Frame> frames;
        for (const RequestRecord& record : line.Requests()) {
            EXPECT_EQ(record.outcome, Outcome::Answered);
            frames.push_back(record.request);
        }
        return frames;
    }

    MeterLine line;
    FakeMainWindow main;
    MessageBoxRecorder boxes;
    std::unique_ptr<CMeterPage> page = GetParam().make(main);
    HeldTimers heldTimers{*page};
};

// The main window on a silent meter, with a watch that acts once the meter has received a request.
class LineSequenceTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        line.Silence();
    }
    // A closed window leaves the line closing and the queue closed until the next window opens.
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        LineWait::SetClosing(false);
        SequenceQueue().Open();
    }

    int Requests(int first, int last) const
    {
        const auto requests = line.Requests();
        return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const RequestRecord& r) {
            return r.info.address >= first && r.info.address <= last;
        }));
    }
    // Runs action from inside the line's wait, once a request for a register from first to last has gone out.
    void OnRequest(int first, int last, std::function<void()> action)
    {
        QObject::connect(&watch, &QTimer::timeout, [=, this] {
            if (Requests(first, last) > 0) {
                watch.stop();
                action();
            }
        });
        watch.start(1);
    }

    QTimer watch;
};
} // namespace

TEST_P(FixedWaitsTest, sendsTheSameRequestsWithAndWithoutFixedWaits)
{
    const std::vector<Frame> taken = Sent(false);
    EXPECT_FALSE(taken.empty());
    EXPECT_EQ(Sent(true), taken);
    EXPECT_TRUE(boxes.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, FixedWaitsTest,
    ::testing::Values(Sequence{"realtimePoll", Make<CRealtimeDataPage>, PollAsCurrent},
                      Sequence{"commonDataPoll", Make<CCommonDataPage>, PollAsCurrent},
                      Sequence{"harmonicPoll", Make<CHarmonicPage>, PollAsCurrent},
                      Sequence{"demandPoll", Make<CDemandPage>, PollAsCurrent},
                      Sequence{"energyPoll", Make<CEnergyPage>, PollAsCurrent},
                      Sequence{"maxMinPoll", Make<CMaxMinPage>, PollAsCurrent},
                      Sequence{"ioStatusPoll", Make<CIoPage>, PollAsCurrent},
                      Sequence{"meterSetSet", Make<CMeterSetPage>,
                               [](CMeterPage& page) { static_cast<CMeterSetPage&>(page).Set(); }}),
    [](const ::testing::TestParamInfo<Sequence>& info) { return std::string(info.param.name); });

TEST_F(LineSequenceTest, leavingTheHarmonicPageEndsItsPollAfterTheExchangeInFlightWithoutAFailure)
{
    Visit(5);
    OnRequest(400, 588, [this] { Visit(6); });
    ASSERT_TRUE(WaitUntil([&] { return main.Page(6)->isVisible(); }));
    EXPECT_EQ(CurrentPage, 6);
    EXPECT_EQ(Requests(400, 588), 1);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(main.Page(5)->IsTimerRunning(1));
}

TEST_F(LineSequenceTest, closingTheWindowDuringAWaitEndsTheWaitAndTheSequence)
{
    Visit(1);
    int sentBeforeClosing = 0;
    OnRequest(0, 1100, [&] {
        sentBeforeClosing = static_cast<int>(line.Requests().size());
        main.close();
    });
    ASSERT_TRUE(WaitUntil([&] { return !main.isVisible() && !SequenceQueue().IsRunning(); }));
    EXPECT_TRUE(LineWait::Closing());
    EXPECT_EQ(static_cast<int>(line.Requests().size()), sentBeforeClosing);
    EXPECT_TRUE(messages.messages.empty());
}
