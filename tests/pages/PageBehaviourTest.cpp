// What the pages share, run over the pages that share it: a tick while another
// page is current sends nothing, the sixth failure in a row stops the poll, a
// port not yet open is not polled, a timer runs the poll, a clear command
// writes 255 to its command register, and Set writes no settings never loaded.

#include "PageFixture.h"
#include "WaitUntil.h"
#include "comm/ModbusRtu.h"
#include "comm/SerialPort.h"
#include "pages/CommonDataPage.h"
#include "pages/DemandPage.h"
#include "pages/EnergyPage.h"
#include "pages/HarmonicPage.h"
#include "pages/IoPage.h"
#include "pages/MaxMinPage.h"
#include "pages/MeterSetPage.h"
#include "pages/RealtimeDataPage.h"
#include "pages/SoePage.h"
#include "resources/ControlIds.h"

#include <QAbstractButton>
#include <memory>

namespace {
struct PageKind
{
    const char* name;
    CMeterPage* (*make)(IMainWindow&);
    int number;        // CurrentPage while the page is current; 0: no poll of its own asks it
    int startButton;   // the button that starts its poll timer; 0: the timer runs from creation
    int clearButton;   // the button that clears records in the meter (0: none),
    int clearRegister; // and the command register it writes
    int settingsEdit;  // an edit its Set writes to the meter, 0: no settings,
    int setButton;     // and the button that writes them
};
template <class Page> CMeterPage* Make(IMainWindow& main)
{
    return new Page(main, nullptr);
}
const PageKind kRealtime{"Realtime", Make<CRealtimeDataPage>, 1, RealtimeDataIds::kLoadButton, 0, 0, 0, 0};
const PageKind kCommonData{"CommonData", Make<CCommonDataPage>, 2, 0, 0, 0, 0, 0};
const PageKind kMeterSet{
    "MeterSet", Make<CMeterSetPage>, 3, 0, 0, 0, MeterSetIds::kCtPrimaryEdit, MeterSetIds::kSetButton};
const PageKind kIo{"Io", Make<CIoPage>, 4, 0, 0, 0, IoIds::kRelay1Settings.upperEdit, IoIds::kSetButton};
const PageKind kHarmonic{"Harmonic", Make<CHarmonicPage>, 5, HarmonicIds::kChannelButtons[0], 0, 0, 0, 0};
const PageKind kDemand{"Demand", Make<CDemandPage>, 6, 0, DemandIds::kClearButton, 1011, 0, 0};
const PageKind kEnergy{
    "Energy", Make<CEnergyPage>, 7, EnergyIds::kLoadButton, EnergyIds::kClearButton, 1010, 0, 0};
const PageKind kMaxMin{"MaxMin", Make<CMaxMinPage>, 0, 0, MaxMinIds::kClearButton, 1009, 0, 0};
const PageKind kSoe{"Soe", Make<CSoePage>, 0, 0, SoeIds::kClearButton, 1012, 0, 0};

void PrintTo(const PageKind& kind, std::ostream* out)
{
    *out << kind.name;
}
std::string NameOf(const testing::TestParamInfo<PageKind>& info)
{
    return info.param.name;
}

// One page against the simulated meter, current (or, for a page whose poll
// does not ask, with another page current).
class PageBehaviour : public testing::TestWithParam<PageKind>
{
protected:
    void SetUp() override
    {
        CurrentPage = GetParam().number ? GetParam().number : 1;
        SlaveId = 1;
        line.Set(1000, {1, 1, 1, 0, 1});
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
    std::unique_ptr<CMeterPage> page{GetParam().make(main)};
    HeldTimers heldTimers{*page};
};
using WhileAnotherPageIsCurrent = PageBehaviour;
using PollThatGivesUp = PageBehaviour;
using PollTimer = PageBehaviour;
using ClearCommand = PageBehaviour;
using SettingsSet = PageBehaviour;
} // namespace

TEST_P(WhileAnotherPageIsCurrent, ticksSendNothingShowNothingAndKeepTheTimer)
{
    StartPolling();
    line.Silence();
    line.ClearRequests();
    for (const int other : {GetParam().number % 9 + 1, 99}) {
        CurrentPage = other;
        Poll(7);
    }
    EXPECT_TRUE(line.Requests().empty());
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_TRUE(page->IsTimerRunning(1));
}

TEST_P(PollThatGivesUp, onlyTheSixthFailureInARowStopsThePollWithOneMessage)
{
    StartPolling();
    for (int round = 0; round < 2; ++round) {
        line.Silence();
        Poll(5);
        line.Speak();
        Poll(1);
    }
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

    // The count is not cleared by the stop: restarted, the first failure stops it again.
    if (!GetParam().startButton)
        return;
    StartPolling();
    EXPECT_TRUE(page->IsTimerRunning(1));
    Poll(1);
    EXPECT_EQ(boxes.messages.size(), 2u);
    EXPECT_FALSE(page->IsTimerRunning(1));
}

TEST_P(PollThatGivesUp, aPortNotYetOpenIsNotPolledAndCountsNoFailure)
{
    StartPolling();
    SerialPort.Close();
    line.ClearRequests();
    Poll(7);
    EXPECT_TRUE(line.Requests().empty());
    EXPECT_TRUE(boxes.messages.empty());

    ASSERT_TRUE(line.ReopenAt(9600));
    line.Silence();
    Poll(5);
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_TRUE(page->IsTimerRunning(1));
}

TEST_P(PollTimer, runsThePollOnceStarted)
{
    StartPolling();
    line.ClearRequests();
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
}

TEST_P(SettingsSet, afterAFailedLoadWritesNothingAndSaysSoLeavingTheEntries)
{
    line.Silence();
    page->Start();
    line.Speak();
    page->SetDlgItemText(GetParam().settingsEdit, "77");
    line.ClearRequests();
    boxes.messages.clear();
    Click(GetParam().setButton);
    EXPECT_TRUE(line.Requests().empty());
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].caption, "VEMO400");
    EXPECT_EQ(boxes.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(page->GetDlgItemText(GetParam().settingsEdit), "77");
}

using testing::Values;
INSTANTIATE_TEST_SUITE_P(Pages, WhileAnotherPageIsCurrent,
                         Values(kRealtime, kCommonData, kIo, kHarmonic, kDemand, kEnergy), NameOf);
INSTANTIATE_TEST_SUITE_P(Pages, PollThatGivesUp, Values(kRealtime, kCommonData, kMaxMin), NameOf);
INSTANTIATE_TEST_SUITE_P(Pages, PollTimer, Values(kRealtime, kCommonData, kHarmonic, kEnergy, kMaxMin),
                         NameOf);
INSTANTIATE_TEST_SUITE_P(Pages, ClearCommand, Values(kDemand, kEnergy, kMaxMin, kSoe), NameOf);
INSTANTIATE_TEST_SUITE_P(Pages, SettingsSet, Values(kMeterSet, kIo), NameOf);
