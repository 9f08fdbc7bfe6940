// Each page's decoding of the replies it gets, driven through the real
// transaction path with reply bytes from the fuzzer: value tables and their
// formats, the time texts, the harmonic index map, the event records and the
// settings. A polling page whose replies never answered its reads as a meter
// must shows nothing new.

#include "FakeMainWindow.h"
#include "FuzzCheck.h"
#include "MessageBoxRecorder.h"
#include "ReplyLine.h"
#include "comm/ModbusRtu.h"
#include "framework/SequenceQueue.h"
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
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <QAbstractButton>
#include <QApplication>
#include <algorithm>
#include <array>
#include <memory>

namespace {
constexpr std::array kRelayButtons = {
    IoIds::kRelay1CloseButton, IoIds::kRelay1OpenButton, IoIds::kRelay2CloseButton, IoIds::kRelay2OpenButton,
    IoIds::kRelay3CloseButton, IoIds::kRelay3OpenButton, IoIds::kRelay4CloseButton, IoIds::kRelay4OpenButton};
constexpr int kMaxMinPageNumber = 8;
constexpr int kSoePageNumber = 9;
constexpr int kMeterSetPageNumber = 3;

struct Pages
{
    FakeMainWindow main;
    CRealtimeDataPage realtime{main, nullptr};
    CCommonDataPage common{main, nullptr};
    CMeterSetPage meterSet{main, nullptr};
    CIoPage io{main, nullptr};
    CHarmonicPage harmonic{main, nullptr};
    CDemandPage demand{main, nullptr};
    CEnergyPage energy{main, nullptr};
    CMaxMinPage maxMin{main, nullptr};
    CSoePage soe{main, nullptr};

    Pages()
    {
        for (CMeterPage* page : All())
            page->Create();
        harmonic.Start();
        StopTimers();
    }
    // The target drives every poll itself: a timer tick during a wait would take
    // replies meant for another exchange.
    void StopTimers()
    {
        for (CMeterPage* page : All())
            page->KillTimer(1);
    }
    std::array<CMeterPage*, 9> All()
    {
        return {&realtime, &common, &meterSet, &io, &harmonic, &demand, &energy, &maxMin, &soe};
    }
};

std::vector<QString> CellTexts(const CMeterPage& page)
{
    const CGridCtrl& grid = *page.DlgItem<CGridCtrl>(kPageGridId);
    std::vector<QString> texts;
    for (int row = 0; row < grid.RowTotal(); ++row)
        for (int column = 0; column < grid.ColumnTotal(); ++column)
            texts.push_back(grid.CellText(row, column));
    return texts;
}

void Press(CMeterPage& page, int id)
{
    page.DlgItem<QAbstractButton>(id)->click();
}

// One poll of a grid page: unless a reply answered a read as a meter must, no cell changes.
void PollGridPage(CMeterPage& page, int pageNumber, ReplyLine& line, FuzzInput& input)
{
    CurrentPage = pageNumber;
    const std::vector<QString> before = CellTexts(page);
    line.Play(input);
    SequenceQueue().Run([&] { page.Poll(); });
    if (!line.AnsweredAReadWell())
        FUZZ_CHECK(CellTexts(page) == before);
}

// Whatever an action sends runs through the line's queue, as in the window: a
// sequence left waiting runs from the event loop, and must not run in the
// middle of an exchange that the target started on its own.
void RunAction(Pages& pages, ReplyLine& line, FuzzInput& input)
{
    const uint8_t action = input.Byte();
    const uint8_t choice = input.Byte();
    switch (action % 10) {
    case 0:
        return PollGridPage(pages.realtime, CRealtimeDataPage::kPageNumber, line, input);
    case 1:
        return PollGridPage(pages.common, CCommonDataPage::kPageNumber, line, input);
    case 2:
        return PollGridPage(pages.maxMin, kMaxMinPageNumber, line, input);
    case 3:
        return PollGridPage(pages.demand, CDemandPage::kPageNumber, line, input);
    case 4:
        Press(pages.harmonic, HarmonicIds::kChannelButtons[choice % std::size(HarmonicIds::kChannelButtons)]);
        return PollGridPage(pages.harmonic, CHarmonicPage::kPageNumber, line, input);
    case 5:
        CurrentPage = CEnergyPage::kPageNumber;
        line.Play(input);
        return SequenceQueue().Run([&] { pages.energy.Poll(); });
    case 6:
        CurrentPage = kSoePageNumber;
        line.Play(input);
        return Press(pages.soe, choice % 2 ? SoeIds::kMeterDateButton : SoeIds::kReadEventsButton);
    case 7:
        CurrentPage = kMeterSetPageNumber;
        line.Play(input);
        SequenceQueue().Run([&] { pages.meterSet.Start(); });
        return choice % 2 ? Press(pages.meterSet, MeterSetIds::kSetButton) : void();
    case 8:
        CurrentPage = CIoPage::kPageNumber;
        line.Play(input);
        return SequenceQueue().Run([&] {
            pages.io.Start();
            pages.io.Poll();
        });
    default:
        CurrentPage = CIoPage::kPageNumber;
        line.Play(input);
        return Press(pages.io, kRelayButtons[choice % kRelayButtons.size()]);
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static ReplyLine line;
    static Pages pages;
    static MessageBoxRecorder boxes;
    FuzzInput input(data, size);
    // What earlier exchanges left in the shared buffers: any 32-bit value.
    const int32_t stale = static_cast<int32_t>(static_cast<uint32_t>(input.Word()) << 16 | input.Word());
    std::fill_n(RegisterBlock, kRegisterBlockSize, stale);
    pages.main.slaveIdText = QString::number(1 + input.Byte() % 247);
    RunAction(pages, line, input);
    pages.StopTimers();
    boxes.messages.clear();
    return 0;
}
