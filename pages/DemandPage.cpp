#include "pages/DemandPage.h"

#include "comm/Transaction.h"
#include "pages/ClearCommand.h"
#include "pages/GridTexts.h"
#include "pages/MainWindowLink.h"
#include "pages/MeasurementTable.h"
#include "pages/RegisterValues.h"
#include "pages/TimeTexts.h"
#include "widgets/GridCtrl.h"

#include <array>

namespace {
constexpr int kClearButtonId = 1011;
constexpr int kClearCommandRegister = RegisterMap::kClearDemand;
constexpr int kFirstRegister = RegisterMap::kDemand;
constexpr int kRegisterCount = 26;
constexpr int kTimeColumn = 4;

// The item names and units come from the item table.
constexpr std::array<std::array<const char*, 5>, 11> kRowTexts{{
    {"NO", "Item", "Data", "Unit", "Time"},
    {"Realtime Data", "", "", "", ""},
    {"1", "", "", "", ""},
    {"2", "", "", "", ""},
    {"3", "", "", "", ""},
    {"4", "", "", "", ""},
    {"Max record", "", "", "", ""},
    {"1", "", "", "", ""},
    {"2", "", "", "", ""},
    {"3", "", "", "", ""},
    {"4", "", "", "", ""},
}};

using M = MeasurementItem;
// Entries count from register 300. Currents in mA on the CT secondary, powers
// in tenths of a watt on the secondaries.
constexpr std::array<MeasurementItem, 8> kDemandItems{{
    {2, 2, "Average Current", "A", 0, M::U16, M::Ct, 1000, "%.3f"},
    {3, 2, "P", "W", 1, M::S32, M::PtCt, 10, "%.1f"},
    {4, 2, "Q", "var", 3, M::S32, M::PtCt, 10, "%.1f"},
    {5, 2, "S", "VA", 5, M::S32, M::PtCt, 10, "%.1f"},
    {7, 2, "Average Current", "A", 7, M::U16, M::Ct, 1000, "%.3f"},
    {8, 2, "P", "W", 11, M::S32, M::PtCt, 10, "%.1f"},
    {9, 2, "Q", "var", 16, M::S32, M::PtCt, 10, "%.1f"},
    {10, 2, "S", "VA", 21, M::S32, M::PtCt, 10, "%.1f"},
}};

struct TimeStampCell
{
    int row;
    int entry; // of the first of its three registers
};

constexpr std::array<TimeStampCell, 4> kTimeStampCells{{{7, 8}, {8, 13}, {9, 18}, {10, 23}}};
} // namespace

CDemandPage::CDemandPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}

void CDemandPage::OnInitDialog()
{
    SetUpGrid();
    SetTimer(kPollTimer, PollIntervalMs);
}

void CDemandPage::SetUpGrid()
{
    CGridCtrl& grid = Grid();
    grid.SetRowTotal(27);
    grid.SetColumnTotal(5);
    grid.SetColumnWidthPixels(0, 90);
    grid.SetColumnWidthPixels(4, 160);
    for (int row = 0; row < static_cast<int>(kRowTexts.size()); ++row)
        WriteRowTexts(grid, row, kRowTexts[row]);
    WriteItemLabels(grid, kDemandItems);
}

void CDemandPage::OnCommand(int id)
{
    if (id == kClearButtonId)
        ClearDemand();
}

// A failed read is silent: the table keeps what it showed and the next tick tries again.
void CDemandPage::Poll()
{
    if (CurrentPage != kPageNumber)
        return;
    TakeSlaveIdFromPanel();
    Modbus::RefreshRatios();
    if (Modbus::ReadRegisters(kFirstRegister, kRegisterCount, 100, 250))
        ShowDemands();
    Grid().RedrawAll();
}

void CDemandPage::ShowDemands()
{
    CGridCtrl& grid = Grid();
    WriteItemValues(grid, kDemandItems);
    for (const TimeStampCell& cell : kTimeStampCells) {
        const int t = cell.entry;
        grid.SetCellText(
            cell.row, kTimeColumn,
            TimeTexts::DemandTimeStamp(Registers::U16(t), Registers::U16(t + 1), Registers::U16(t + 2)));
    }
}

void CDemandPage::ClearDemand()
{
    ClearMeterRecords(this, kClearCommandRegister);
}
