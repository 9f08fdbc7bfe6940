#include "pages/MaxMinPage.h"

#include "pages/ClearCommand.h"
#include "pages/GridTexts.h"
#include "pages/MeasurementTable.h"
#include "widgets/GridCtrl.h"

#include <array>

namespace {
constexpr int kClearButtonId = 1009;
constexpr int kClearCommandRegister = RegisterMap::kClearMaxMin;
constexpr int kPollPeriodMs = 1000;
constexpr int kFirstRegister = RegisterMap::kMaxima;
constexpr int kRegisterCount = 30;

constexpr std::array<std::array<const char*, 5>, 13> kRowTexts{{
    {"NO", "Item", "Maximum Data", "Minimum Data", "Unit"},
    {"1", "Ia", "", "", "A"},
    {"2", "Ib", "", "", "A"},
    {"3", "Ic", "", "", "A"},
    {"4", "P", "", "", "kW"},
    {"5", "Q", "", "", "kVar"},
    {"6", "S", "", "", "kVA"},
    {"7", "Ia-THD", "", "", ""},
    {"8", "Ib-THD", "", "", ""},
    {"9", "Ic-THD", "", "", ""},
    {"10", "Ua-THD", "", "", ""},
    {"11", "Ub-THD", "", "", ""},
    {"12", "Uc-THD", "", "", ""},
}};

using M = MeasurementItem;
// The maxima fill entries 0 to 14 of the block, the minima 15 to 29 in the
// same order. Currents in mA on the CT secondary, powers in tenths of a watt
// on the secondaries (shown in kW), THD in thousandths. The labels come from kRowTexts.
constexpr std::array<MeasurementItem, 24> kRecordItems{{
    {1, 2, "", nullptr, 0, M::U16, M::Ct, 1000, "%.3f"},
    {2, 2, "", nullptr, 1, M::U16, M::Ct, 1000, "%.3f"},
    {3, 2, "", nullptr, 2, M::U16, M::Ct, 1000, "%.3f"},
    {4, 2, "", nullptr, 3, M::S32, M::PtCt, 10000, "%.3f"},
    {5, 2, "", nullptr, 5, M::S32, M::PtCt, 10000, "%.3f"},
    {6, 2, "", nullptr, 7, M::S32, M::PtCt, 10000, "%.3f"},
    {7, 2, "", nullptr, 9, M::U16, M::None, 1000, "%.3f"},
    {8, 2, "", nullptr, 10, M::U16, M::None, 1000, "%.3f"},
    {9, 2, "", nullptr, 11, M::U16, M::None, 1000, "%.3f"},
    {10, 2, "", nullptr, 12, M::U16, M::None, 1000, "%.3f"},
    {11, 2, "", nullptr, 13, M::U16, M::None, 1000, "%.3f"},
    {12, 2, "", nullptr, 14, M::U16, M::None, 1000, "%.3f"},
    {1, 3, "", nullptr, 15, M::U16, M::Ct, 1000, "%.3f"},
    {2, 3, "", nullptr, 16, M::U16, M::Ct, 1000, "%.3f"},
    {3, 3, "", nullptr, 17, M::U16, M::Ct, 1000, "%.3f"},
    {4, 3, "", nullptr, 18, M::S32, M::PtCt, 10000, "%.3f"},
    {5, 3, "", nullptr, 20, M::S32, M::PtCt, 10000, "%.3f"},
    {6, 3, "", nullptr, 22, M::S32, M::PtCt, 10000, "%.3f"},
    {7, 3, "", nullptr, 24, M::U16, M::None, 1000, "%.3f"},
    {8, 3, "", nullptr, 25, M::U16, M::None, 1000, "%.3f"},
    {9, 3, "", nullptr, 26, M::U16, M::None, 1000, "%.3f"},
    {10, 3, "", nullptr, 27, M::U16, M::None, 1000, "%.3f"},
    {11, 3, "", nullptr, 28, M::U16, M::None, 1000, "%.3f"},
    {12, 3, "", nullptr, 29, M::U16, M::None, 1000, "%.3f"},
}};
} // namespace

CMaxMinPage::CMaxMinPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}

void CMaxMinPage::OnInitDialog()
{
    SetUpGrid();
    SetTimer(kPollTimer, kPollPeriodMs);
}

void CMaxMinPage::SetUpGrid()
{
    CGridCtrl& grid = Grid();
    grid.SetRowTotal(20);
    grid.SetColumnTotal(5);
    grid.DefaultCellOf(false, false).SetBackColour(kNormalCellColour);
    grid.SetColumnWidthPixels(0, 50);
    for (int column = 1; column <= 4; ++column)
        grid.SetColumnWidthPixels(column, 100);
    for (int row = 0; row < static_cast<int>(kRowTexts.size()); ++row)
        WriteRowTexts(grid, row, kRowTexts[row]);
}

void CMaxMinPage::OnCommand(int id)
{
    if (id == kClearButtonId)
        ClearMaxMin();
}

// Runs whatever page is current; the sixth failure in a row ends polling for the rest of the run.
void CMaxMinPage::Poll()
{
    const PollResult result = ReadMeasurements(kFirstRegister, kRegisterCount, m_failures);
    if (result == PollResult::Stopped)
        return;
    if (result == PollResult::Passed)
        WriteItemValues(Grid(), kRecordItems);
    Grid().RedrawAll();
}

void CMaxMinPage::ClearMaxMin()
{
    ClearMeterRecords(this, kClearCommandRegister);
}
