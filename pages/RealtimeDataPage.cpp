#include "pages/RealtimeDataPage.h"

#include "meter/PageItems.h"
#include "pages/MainWindowLink.h"
#include "pages/MeasurementGrid.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"
#include "widgets/IndicatorLamp.h"

namespace {
using namespace RealtimeDataIds;
constexpr int kPollPeriodMs = 500;

// The green square of the lamp strip.
constexpr int kLampColour = 32;
constexpr int kLampShape = 48;
constexpr int kLampLit = 0;
constexpr int kLampGrey = 2;

} // namespace

CRealtimeDataPage::CRealtimeDataPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, kPageNumber, main, parent)
{
}

void CRealtimeDataPage::OnInitDialog()
{
    CGridCtrl& grid = Grid();
    SetUpTwoHalfTable(grid, 25, {{0, 40}, {4, 40}, {1, 100}, {5, 100}, {3, 50}, {7, 50}});
    WriteItemLabels(grid, PageItems::kRealtime);
    OfferTrends(PageItems::kRealtime);
    DlgItem<CIndicatorLamp>(kSendLamp)->SetLamp(kLampColour, kLampGrey, kLampShape);
    DlgItem<CIndicatorLamp>(kReceiveLamp)->SetLamp(kLampColour, kLampGrey, kLampShape);
}

void CRealtimeDataPage::OnCommand(int id)
{
    if (id == kLoadButton)
        Load();
}

// Leaves the failure count as it is: after a stop the next failure stops polling again at once.
void CRealtimeDataPage::Load()
{
    KillTimer(kPollTimer);
    CurrentPage = kPageNumber;
    SetTimer(kPollTimer, kPollPeriodMs);
}

void CRealtimeDataPage::PollMeter()
{
    const PollResult result = PollTable(PageReads::kRealtime, PageItems::kRealtime, m_failures);
    if (result == PollResult::Skipped)
        return;
    ++m_pollCount;
    if (result == PollResult::Passed)
        ShowPollLamps();
}

void CRealtimeDataPage::ShowPollLamps()
{
    const bool odd = m_pollCount % 2 == 1;
    DlgItem<CIndicatorLamp>(kSendLamp)->SetLamp(kLampColour, odd ? kLampLit : kLampGrey, kLampShape);
    DlgItem<CIndicatorLamp>(kReceiveLamp)->SetLamp(kLampColour, odd ? kLampGrey : kLampLit, kLampShape);
}
