#include "pages/DemandPage.h"

#include "comm/ModbusFrame.h"
#include "comm/Transaction.h"
#include "meter/BlockRead.h"
#include "meter/PageItems.h"
#include "meter/RegisterValues.h"
#include "meter/TimeTexts.h"
#include "pages/ClearCommand.h"
#include "pages/GridTexts.h"
#include "pages/MainWindowLink.h"
#include "pages/MeasurementGrid.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <array>

namespace {
constexpr int kClearCommandRegister = RegisterMap::kClearDemand;
constexpr int kTimeColumn = 4;

// The item names and units come from the item table.
constexpr std::array<std::array<const char*, 5>, 11> kRowTexts{{
    {"NO", "Item", "Data", "Unit", "Time"},
    {PageItems::kDemandPresentTitle, "", "", "", ""},
    {"1", "", "", "", ""},
    {"2", "", "", "", ""},
    {"3", "", "", "", ""},
    {"4", "", "", "", ""},
    {PageItems::kDemandMaximumTitle, "", "", "", ""},
    {"1", "", "", "", ""},
    {"2", "", "", "", ""},
    {"3", "", "", "", ""},
    {"4", "", "", "", ""},
}};
} // namespace

CDemandPage::CDemandPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, kPageNumber, main, parent)
{
}

void CDemandPage::OnInitDialog()
{
    SetUpGrid();
    OfferTrends(PageItems::kDemand);
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
    WriteItemLabels(grid, PageItems::kDemand);
}

void CDemandPage::OnCommand(int id)
{
    if (id == DemandIds::kClearButton)
        ClearDemand();
}

// A failed read is silent, as is a poll before this meter's ratios are known: the table keeps
// what it showed and the next tick tries again.
void CDemandPage::PollMeter()
{
    TakeSlaveIdFromPanel();
    if (Modbus::RefreshRatios() && PageReads::Read(PageReads::kDemand))
        ShowDemands();
    Grid().RedrawAll();
}

void CDemandPage::ShowDemands()
{
    CGridCtrl& grid = Grid();
    WriteItemValues(grid, PageItems::kDemand);
    FeedTrends();
    for (const PageItems::TimeStampCell& cell : PageItems::kDemandTimeStamps) {
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
