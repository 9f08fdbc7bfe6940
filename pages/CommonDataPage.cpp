#include "pages/CommonDataPage.h"

#include "pages/MainWindowLink.h"
#include "pages/MeasurementTable.h"
#include "widgets/GridCtrl.h"

namespace {

// Registers 0 to 44; entry k holds register k.
constexpr int kFirstRegister = RegisterMap::kCommonData;
constexpr int kRegisterCount = 45;

using M = MeasurementItem;
constexpr MeasurementItem kItems[] = {
    {1, 2, "Ua", "V", 0, M::U16, M::Pt, 100, "%.3f"},
    {2, 2, "Ub", "V", 1, M::U16, M::Pt, 100, "%.3f"},
    {3, 2, "Uc", "V", 2, M::U16, M::Pt, 100, "%.3f"},
    {4, 2, "Uab", "V", 3, M::U16, M::Pt, 100, "%.3f"},
    {5, 2, "Ubc", "V", 4, M::U16, M::Pt, 100, "%.3f"},
    {6, 2, "Uca", "V", 5, M::U16, M::Pt, 100, "%.3f"},
    {7, 2, "Ia", "A", 6, M::U16, M::Ct, 1000, "%.3f"},
    {8, 2, "Ib", "A", 7, M::U16, M::Ct, 1000, "%.3f"},
    {9, 2, "Ic", "A", 8, M::U16, M::Ct, 1000, "%.3f"},
    {10, 2, "Zero sequence current", "A", 9, M::U16, M::Ct, 1000, "%.3f"},
    {11, 2, "P", "W", 10, M::S32, M::PtCt, 10, "%.2f"},
    {12, 2, "Q", "Var", 12, M::S32, M::PtCt, 10, "%.2f"},
    {13, 2, "S", "VA", 14, M::S32, M::PtCt, 10, "%.2f"},
    {14, 2, "PF", " ", 16, M::S16, M::None, 1000, "%.2f"},
    {15, 2, "F", "Hz", 17, M::S16, M::None, 100, "%.2f"},
    {16, 2, "Import Active Power", "KWh", 18, M::U32, M::None, 10, "%.2f"},
    {17, 2, "Import Reactive Power", "KVarh", 20, M::U32, M::None, 10, "%.2f"},
    {18, 2, "Eport Active Power", "KWh", 22, M::U32, M::None, 10, "%.2f"},
    {19, 2, "Export Reactive Power", "KVarh", 24, M::U32, M::None, 10, "%.2f"},
    {20, 2, "Signal Status", nullptr, 26, M::U16, M::None, 1, "%d"},
    {21, 2, "Relay Status", nullptr, 27, M::U16, M::None, 1, "%d"},
    {1, 6, "Ua/Uab - THD", "%", 28, M::U16, M::None, 10, "%.3f"},
    {2, 6, "Ub/Ubc - THD", "%", 29, M::U16, M::None, 10, "%.3f"},
    {3, 6, "Uc/Uca - THD", "%", 30, M::U16, M::None, 10, "%.3f"},
    {4, 6, "Ia - THD", "%", 31, M::U16, M::None, 10, "%.3f"},
    {5, 6, "Ib - THD", "%", 32, M::U16, M::None, 10, "%.3f"},
    {6, 6, "Ic - THD", "%", 33, M::U16, M::None, 10, "%.3f"},
    {7, 6, "Ia - K", nullptr, 34, M::U16, M::None, 1, "%d"},
    {8, 6, "Ib - K", nullptr, 35, M::U16, M::None, 1, "%d"},
    {9, 6, "Ic - K", nullptr, 36, M::U16, M::None, 1, "%d"},
    {10, 6, "Average Current Demand", "A", 37, M::U16, M::Ct, 1000, "%.3f", true},
    {11, 6, "Active Power Demand", "W", 38, M::S32, M::PtCt, 10, "%.1f", true},
    {12, 6, "Reactive Power Demand", "Var", 40, M::S32, M::PtCt, 10, "%.1f", true},
    {13, 6, "Apparent Power Demand", "VA", 42, M::S32, M::PtCt, 10, "%.1f", true},
    {14, 6, "SOE Num", nullptr, 44, M::U16, M::None, 1, "%d"},
};
} // namespace

CCommonDataPage::CCommonDataPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent)
{
}

// The period is taken once, at creation, before any port open has changed it.
void CCommonDataPage::OnInitDialog()
{
    CGridCtrl& grid = Grid();
    SetUpTwoHalfTable(grid, 21, {{0, 38}, {1, 106}, {3, 48}, {4, 38}, {5, 110}, {7, 48}});
    WriteItemLabels(grid, kItems);
    SetTimer(kPollTimer, PollIntervalMs);
}

// Only the measurement request counts toward the failure limit; a failed ratio refresh keeps the last ratios.
void CCommonDataPage::Poll()
{
    if (CurrentPage != kPageNumber)
        return;
    const PollResult result = ReadMeasurements(kFirstRegister, kRegisterCount, m_failures);
    if (result == PollResult::Stopped)
        return;
    if (result == PollResult::Passed)
        WriteItemValues(Grid(), kItems);
    Grid().RedrawAll();
}
