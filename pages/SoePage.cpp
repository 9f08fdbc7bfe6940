#include "pages/SoePage.h"

#include "comm/ModbusFrame.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "meter/BlockRead.h"
#include "meter/EventTexts.h"
#include "meter/TimeTexts.h"
#include "pages/ClearCommand.h"
#include "pages/FailureMessages.h"
#include "pages/GridTexts.h"
#include "pages/MeasurementGrid.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <QDateTime>
#include <algorithm>

namespace {
constexpr int kClearCommandRegister = RegisterMap::kClearEvents;

constexpr std::array<const char*, 4> kHeadings{"NO", "Event Type", "Action Status", "Time"};

} // namespace

CSoePage::CSoePage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, kPageNumber, main, parent) {}

void CSoePage::OnInitDialog()
{
    SetUpGrid();
}

void CSoePage::SetUpGrid()
{
    CGridCtrl& grid = Grid();
    grid.DefaultCellOf(false, false).SetBackColour(kNormalCellColour);
    grid.SetColumnTotal(4);
    grid.SetRowTotal(100);
    grid.SetColumnWidthPixels(3, 250);
    WriteRowTexts(grid, 0, kHeadings);
}

void CSoePage::OnCommand(int id)
{
    switch (id) {
    case SoeIds::kMeterDateButton:
        ShowMeterClock();
        break;
    case SoeIds::kSetClockButton:
        SetMeterClock();
        break;
    case SoeIds::kReadEventsButton:
        ReadEvents();
        break;
    case SoeIds::kClearButton:
        ClearEvents();
        break;
    default:
        break;
    }
}

// A failed read is silent: the edit keeps the clock it showed.
void CSoePage::ShowMeterClock()
{
    if (!PageReads::Read(PageReads::Clock::kBlock.Load()))
        return;
    PageReads::Clock::Values clock{};
    std::copy_n(RegisterBlock, clock.size(), clock.begin());
    SetDlgItemText(SoeIds::kClockEdit, TimeTexts::MeterClockText(clock));
}

// A write the meter did not confirm is reported; the clock read that follows shows what the meter holds.
void CSoePage::SetMeterClock()
{
    const PageReads::Clock::Values clock = TimeTexts::MeterClockRegisters(QDateTime::currentDateTime());
    std::copy(clock.begin(), clock.end(), RegisterBlock);
    if (!PageReads::Write(PageReads::Clock::kBlock.Set()).confirmed)
        ShowCommunicationFail(this, CommunicationFail::Command);
    ShowMeterClock();
}

void CSoePage::ReadEvents()
{
    Grid().ClearAll();
    SetUpGrid();
    m_records.fill(0);
    if (!ReadInBlocks(PageReads::kEvents, m_records.data())) {
        ShowCommunicationFail(this, CommunicationFail::BlockRead);
        return;
    }
    ListEvents();
    Grid().RedrawAll();
}

void CSoePage::ListEvents()
{
    CGridCtrl& grid = Grid();
    for (int i = 0; i < kRecordCount; ++i) {
        const int32_t* record = &m_records[static_cast<std::size_t>(i * kRegistersPerRecord)];
        const int row = i + 1;
        grid.SetCellText(row, 0, QString::asprintf("%d", row));
        const int eventWord = record[0];
        if (eventWord == 0)
            continue;
        grid.SetCellText(row, 1, EventTexts::EventType(eventWord));
        grid.SetCellText(row, 2, EventTexts::ActionStatus(eventWord));
        grid.SetCellText(row, 3, TimeTexts::EventTime(record[1], record[2], record[3]));
    }
}

void CSoePage::ClearEvents()
{
    ClearMeterRecords(this, kClearCommandRegister);
}
