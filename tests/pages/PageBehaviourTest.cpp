// What every polling page shares, run over the pages that share it: a tick of
// another page's timer sends nothing, the sixth failure in a row stops the
// poll, a closed port is not polled, a timer drives the poll, and a clear
// command writes 255 to its command register.

#include "FakeMainWindow.h"
#include "MessageBoxRecorder.h"
#include "MeterLine.h"
#include "WaitUntil.h"
#include "comm/ModbusRtu.h"
#include "comm/SerialPort.h"
#include "pages/CommonDataPage.h"
#include "pages/DemandPage.h"
#include "pages/EnergyPage.h"
#include "pages/HarmonicPage.h"
#include "pages/IoPage.h"
#include "pages/MainWindowLink.h"
#include "pages/MaxMinPage.h"
#include "pages/RealtimeDataPage.h"
#include "pages/SoePage.h"

#include <QAbstractButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {
struct PageKind
{
    const char* name;
    std::function<std::unique_ptr<CMeterPage>(IMainWindow&)> make;
    int number = 0;        // CurrentPage while the page is current; 0: no poll that asks it
    int startButton = 0;   // the button that starts its poll timer; 0: the timer runs from creation
    int clearButton = 0;   // the button that clears records in the meter, 0 when none
    int clearRegister = 0; // the command register that button writes
    bool givesUpAfterSixFailures = false;
};

template <class Page> std::function<std::unique_ptr<CMeterPage>(IMainWindow&)> Maker()
{
    return [](IMainWindow& main) { return std::make_unique<Page>(main, nullptr); };
}

const std::vector<PageKind>& AllPages()
{
    static const std::vector<PageKind> pages = {
        {"Realtime", Maker<CRealtimeDataPage>(), 1, 1009, 0, 0, true},
        {"CommonData", Maker<CCommonDataPage>(), 2, 0, 0, 0, true},
        {"Io", Maker<CIoPage>(), 4},
        {"Harmonic", Maker<CHarmonicPage>(), 5, 1009},
        {"Demand", Maker<CDemandPage>(), 6, 0, 1011, 1011},
        {"Energy", Maker<CEnergyPage>(), 7, 1011, 1012, 1010},
        {"MaxMin", Maker<CMaxMinPage>(), 0, 0, 1009, 1009, true},
        {"Soe", Maker<CSoePage>(), 0, 0, 1012, 1012},
    };
    return pages;
}

std::vector<PageKind> PagesThat(const std::function<bool(const PageKind&)>& wanted)
{
    std::vector<PageKind> chosen;
    for (const PageKind& page : AllPages())
        if (wanted(page))
            chosen.push_back(page);
    return chosen;
}

void PrintTo(const PageKind& kind, std::ostream* out)
{
    *out << kind.name;
}

std::string NameOf(const testing::TestParamInfo<PageKind>& info)
{
    return info.param.name;
}

// One page against the simulated meter, made current (or, for the page that
// polls regardless, with another page current).
class PageBehaviour : public testing::TestWithParam<PageKind>
{
protected:
    void SetUp() override
    {
        CurrentPage = GetParam().number ? GetParam().number : 1;
        SlaveId = 1;
        line.Set(1000, {1, 1, 1, 0, 1});
        page = GetParam().make(main);
        page->Create();
    }

    void Click(int id) { page->DlgItem<QAbstractButton>(id)->click(); }
    void StartPolling()
    {
        if (GetParam().startButton)
            Click(GetParam().startButton);
    }
    void Poll(int ticks)
    {
        for (int tick = 0; tick < ticks; ++tick)
            page->Poll();
    }

    MeterLine line;
    FakeMainWindow main;
    MessageBoxRecorder boxes;
    std::unique_ptr<CMeterPage> page;
};

class WhileAnotherPageIsCurrent : public PageBehaviour
{
};
class PollThatGivesUp : public PageBehaviour
{
};
class PollTimer : public PageBehaviour
{
};
class ClearCommand : public PageBehaviour
{
};
} // namespace

TEST_P(WhileAnotherPageIsCurrent, ticksSendNothingShowNothingAndKeepTheTimer)
{
    StartPolling();
    line.Silence();
    line.ClearRequests();
    boxes.messages.clear();
    for (const int other : {GetParam().number % 9 + 1, 99}) {
        CurrentPage = other;
        Poll(7);
    }
    EXPECT_TRUE(line.Requests().empty());
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_TRUE(page->IsTimerRunning(1));
}

TEST_P(PollThatGivesUp, sixthFailureInARowStopsThePollWithOneMessage)
{
    StartPolling();
    Poll(1);
    line.Silence();
    Poll(5);
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_TRUE(page->IsTimerRunning(1));

    Poll(1);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Communication Fail!");
    EXPECT_EQ(boxes.messages[0].caption, "Error");
    EXPECT_EQ(boxes.messages[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(page->IsTimerRunning(1));

    // Only a passing poll clears the count: restarted, the first failure stops it again.
    if (!GetParam().startButton)
        return;
    StartPolling();
    EXPECT_TRUE(page->IsTimerRunning(1));
    Poll(1);
    EXPECT_EQ(boxes.messages.size(), 2u);
    EXPECT_FALSE(page->IsTimerRunning(1));
}

TEST_P(PollThatGivesUp, aPassingPollStartsTheCountAgain)
{
    StartPolling();
    for (int round = 0; round < 2; ++round) {
        line.Silence();
        Poll(5);
        line.Speak();
        Poll(1);
    }
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_TRUE(page->IsTimerRunning(1));
}

TEST_P(PollThatGivesUp, aPortNotYetOpenIsNotPolledAndCountsNoFailure)
{
    StartPolling();
    SerialPort.Close();
    line.ClearRequests();
    Poll(7);
    EXPECT_TRUE(line.Requests().empty());
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_TRUE(page->IsTimerRunning(1));

    ASSERT_TRUE(line.ReopenAt(9600));
    line.Silence();
    Poll(5);
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_P(PollTimer, runsThePollOnceStarted)
{
    StartPolling();
    line.ClearRequests();
    EXPECT_TRUE(page->IsTimerRunning(1));
    EXPECT_TRUE(WaitUntil([&] { return !line.Requests(3).empty(); }));
}

TEST_P(ClearCommand, writes255ToItsCommandRegisterAndReportsASilentMeterOnce)
{
    line.ClearRequests();
    Click(GetParam().clearButton);
    const auto writes = line.Requests(16);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].info.address, GetParam().clearRegister);
    EXPECT_EQ(writes[0].info.values, std::vector<uint16_t>{255});
    EXPECT_TRUE(boxes.messages.empty());

    line.Silence();
    Click(GetParam().clearButton);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Communication Fail");
    EXPECT_EQ(boxes.messages[0].caption, "Error");
    EXPECT_EQ(boxes.messages[0].icon, MessageIcon::Stop);
}

INSTANTIATE_TEST_SUITE_P(Pages, WhileAnotherPageIsCurrent,
                         testing::ValuesIn(PagesThat([](const PageKind& p) { return p.number != 0; })),
                         NameOf);
INSTANTIATE_TEST_SUITE_P(Pages, PollThatGivesUp, testing::ValuesIn(PagesThat([](const PageKind& p) {
                             return p.givesUpAfterSixFailures;
                         })),
                         NameOf);
INSTANTIATE_TEST_SUITE_P(Pages, PollTimer, testing::ValuesIn(PagesThat([](const PageKind& p) {
                             return p.startButton != 0 || p.givesUpAfterSixFailures;
                         })),
                         NameOf);
INSTANTIATE_TEST_SUITE_P(Pages, ClearCommand,
                         testing::ValuesIn(PagesThat([](const PageKind& p) { return p.clearButton != 0; })),
                         NameOf);
