#include "pages/MaxMinPage.h"

#include "comm/ModbusFrame.h"
#include "meter/PageItems.h"
#include "pages/ClearCommand.h"
#include "pages/GridTexts.h"
#include "pages/MeasurementGrid.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <array>

namespace {
constexpr int kClearCommandRegister = RegisterMap::kClearMaxMin;
constexpr int kPollPeriodMs = 1000;

constexpr std::array<const char*, 5> kHeadings{"NO", "Item", PageItems::kMaximumTitle,
                                               PageItems::kMinimumTitle, "Unit"};
constexpr int kUnitColumn = 4;

} // namespace

CMaxMinPage::CMaxMinPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, kPageNumber, main, parent)
{
}

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
    WriteRowTexts(grid, 0, kHeadings);
    // Each row is named by its maximum; the minimum beside it is the same quantity.
    for (const MeasurementItem& item : PageItems::kMaxMin) {
        if (item.column != PageItems::kMaximumColumn)
            continue;
        grid.SetCellText(item.row, 0, QString::asprintf("%d", item.row));
        grid.SetCellText(item.row, 1, QString::fromLatin1(item.name));
        if (item.unit)
            grid.SetCellText(item.row, kUnitColumn, QString::fromLatin1(item.unit));
    }
}

void CMaxMinPage::OnCommand(int id)
{
    if (id == MaxMinIds::kClearButton)
        ClearMaxMin();
}

// Runs whatever page is current, from the first opening of the port on; the sixth
// failure in a row ends polling for the rest of the run.
void CMaxMinPage::PollMeter()
{
    PollTable(PageReads::kMaxMin, PageItems::kMaxMin, m_failures);
}

void CMaxMinPage::ClearMaxMin()
{
    ClearMeterRecords(this, kClearCommandRegister);
}
