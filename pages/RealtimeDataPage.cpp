#include "pages/RealtimeDataPage.h"

#include "pages/MainWindowLink.h"
#include "pages/MeasurementTable.h"
#include "widgets/GridCtrl.h"
#include "widgets/IndicatorLamp.h"

namespace {
constexpr int kLoadButton = 1009;
constexpr int kSendLamp = 1145;
constexpr int kReceiveLamp = 1146;
constexpr int kPollPeriodMs = 500;

// The green square of the lamp strip.
constexpr int kLampColour = 32;
constexpr int kLampShape = 48;
constexpr int kLampLit = 0;
constexpr int kLampGrey = 2;

// Registers 100 to 138; entry k holds register 100 + k.
constexpr int kFirstRegister = RegisterMap::kRealtime;
constexpr int kRegisterCount = 39;

using M = MeasurementItem;
constexpr MeasurementItem kItems[] = {
    {1, 2, "Ua", "V", 0, M::U16, M::Pt, 100, "%.3f"},
    {2, 2, "Ub", "V", 1, M::U16, M::Pt, 100, "%.3f"},
    {3, 2, "Uc", "V", 2, M::U16, M::Pt, 100, "%.3f"},
    {4, 2, "Unbalance rate of Phase voltage", "%", 3, M::U16, M::None, 10, "%.1f "},
    {5, 2, "Average Phase voltage", "V", 4, M::U16, M::Pt, 100, "%.3f"},
    {6, 2, "Uab", "V", 5, M::U16, M::Pt, 100, "%.3f"},
    {7, 2, "Ubc", "V", 6, M::U16, M::Pt, 100, "%.3f"},
    {8, 2, "Uca", "V", 7, M::U16, M::Pt, 100, "%.3f"},
    {9, 2, "Unbalance rate of Line voltage", "%", 8, M::U16, M::None, 10, "%.1f"},
    {10, 2, "Average Line voltage", "V", 9, M::U16, M::Pt, 100, "%.3f"},
    {11, 2, "Zero sequence voltage", "V", 10, M::U16, M::Pt, 100, "%.3f"},
    {12, 2, "Ia", "A", 11, M::U16, M::Ct, 1000, "%.3f"},
    {13, 2, "Ib", "A", 12, M::U16, M::Ct, 1000, "%.3f"},
    {14, 2, "Ic", "A", 13, M::U16, M::Ct, 1000, "%.3f"},
    {15, 2, "Unbalance rate of Current", "%", 14, M::U16, M::None, 10, "%.1f"},
    {16, 2, "Average Current", "A", 15, M::U16, M::Ct, 1000, "%.3f"},
    {17, 2, "Zero sequence current", "A", 16, M::U16, M::Ct, 1000, "%.3f"},
    {18, 2, "Pa", "W", 17, M::S16, M::PtCt, 10, "%.3f"},
    {19, 2, "Pb", "W", 18, M::S16, M::PtCt, 10, "%.3f"},
    {20, 2, "Pc", "W", 19, M::S16, M::PtCt, 10, "%.2f"},
    {21, 2, "P", "W", 20, M::S32, M::PtCt, 10, "%.2f"},
    {22, 2, "Qa", "Var", 22, M::S16, M::PtCt, 10, "%.2f"},
    {23, 2, "Qb", "Var", 23, M::S16, M::PtCt, 10, "%.2f"},
    {24, 2, "Qc", "Var", 24, M::S16, M::PtCt, 10, "%.2f"},
    {25, 2, "Q", "Var", 25, M::S32, M::PtCt, 10, "%.2f"},
    {1, 6, "Sa", "VA", 27, M::U16, M::PtCt, 10, "%.2f"},
    {2, 6, "Sb", "VA", 28, M::U16, M::PtCt, 10, "%.2f"},
    {3, 6, "Sc", "VA", 29, M::U16, M::PtCt, 10, "%.2f"},
    {4, 6, "S", "VA", 30, M::S32, M::PtCt, 10, "%.2f"},
    {5, 6, "PFa", nullptr, 32, M::S16, M::None, 1000, "%.3f"},
    {6, 6, "PFb", nullptr, 33, M::S16, M::None, 1000, "%.3f"},
    {7, 6, "PFc", nullptr, 34, M::S16, M::None, 1000, "%.3f"},
    {8, 6, "PF", nullptr, 35, M::S16, M::None, 1000, "%.3f"},
    {9, 6, "F", "Hz", 36, M::S16, M::None, 100, "%.2f"},
    {10, 6, "Signal Status", nullptr, 37, M::U16, M::None, 1, "%d"},
    {11, 6, "Relay Status", nullptr, 38, M::U16, M::None, 1, "%d"},
};
} // namespace

CRealtimeDataPage::CRealtimeDataPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, main, parent)
{
}

void CRealtimeDataPage::OnInitDialog()
{
    CGridCtrl& grid = Grid();
    SetUpTwoHalfTable(grid, 25, {{0, 40}, {4, 40}, {1, 100}, {5, 100}, {3, 50}, {7, 50}});
    WriteItemLabels(grid, kItems);
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

void CRealtimeDataPage::Poll()
{
    if (CurrentPage != kPageNumber)
        return;
    ++m_pollCount;
    const PollResult result = ReadMeasurements(kFirstRegister, kRegisterCount, m_failures);
    if (result == PollResult::Stopped)
        return;
    if (result == PollResult::Passed) {
        ShowPollLamps();
        WriteItemValues(Grid(), kItems);
    }
    Grid().RedrawAll();
}

void CRealtimeDataPage::ShowPollLamps()
{
    const bool odd = m_pollCount % 2 == 1;
    DlgItem<CIndicatorLamp>(kSendLamp)->SetLamp(kLampColour, odd ? kLampLit : kLampGrey, kLampShape);
    DlgItem<CIndicatorLamp>(kReceiveLamp)->SetLamp(kLampColour, odd ? kLampGrey : kLampLit, kLampShape);
}
