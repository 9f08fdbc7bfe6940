#include "pages/HarmonicPage.h"

#include "comm/Transaction.h"
#include "meter/BlockRead.h"
#include "meter/HarmonicTable.h"
#include "pages/FailureMessages.h"
#include "pages/MainWindowLink.h"
#include "pages/MeasurementGrid.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <algorithm>
#include <array>

namespace {
constexpr int kFirstPollMs = 100;
constexpr int kNextPollMs = 200;

using HarmonicTable::kFirstOrder;
using HarmonicTable::kLastOrder;
using Channel = HarmonicTable::Channel;

// One button per channel, in the order of HarmonicTable::kChannels.
using HarmonicIds::kChannelButtons;
static_assert(std::size(kChannelButtons) == std::size(HarmonicTable::kChannels));

// Orders up to 24 fill the left half (row = order); the rest the right half from row 1.
constexpr int kLastLeftOrder = 24;
constexpr int kKFactorRow = 8;

struct Cell
{
    int row;
    int column;
};

// Where the value of order h goes; its name sits one column to the left.
constexpr Cell OrderCell(int order)
{
    return order <= kLastLeftOrder ? Cell{order, 2} : Cell{order - kLastLeftOrder, 5};
}
} // namespace

CHarmonicPage::CHarmonicPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, kPageNumber, main, parent)
{
}

int CHarmonicPage::ChannelCode() const
{
    return m_channel ? m_channel->code : 0;
}

void CHarmonicPage::OnInitDialog()
{
    PrepareGrid();
}

void CHarmonicPage::Start()
{
    SelectChannel(HarmonicTable::kChannels[0]);
}

void CHarmonicPage::OnCommand(int id)
{
    const auto* button = std::find(std::begin(kChannelButtons), std::end(kChannelButtons), id);
    if (button != std::end(kChannelButtons))
        SelectChannel(HarmonicTable::kChannels[button - std::begin(kChannelButtons)]);
}

void CHarmonicPage::SelectChannel(const Channel& channel)
{
    KillTimer(kPollTimer);
    Grid().ClearAll();
    PrepareGrid();
    m_channel = &channel;
    WriteChannelLabels();
    SetTimer(kPollTimer, kFirstPollMs);
}

void CHarmonicPage::PrepareGrid()
{
    CGridCtrl& grid = Grid();
    grid.SetRowTotal(26);
    grid.SetColumnTotal(6);
    grid.DefaultCellOf(false, false).SetBackColour(kNormalCellColour);
    const int widths[] = {60, 130, 80, 60, 130, 80};
    const char* const headings[] = {"NO", "Item", "Data(%)", "NO", "Item", "Data(%)"};
    for (int column = 0; column < 6; ++column) {
        grid.SetColumnWidthPixels(column, widths[column]);
        grid.SetCellText(0, column, QString::fromLatin1(headings[column]));
    }
}

void CHarmonicPage::WriteChannelLabels()
{
    CGridCtrl& grid = Grid();
    for (int row = 1; row <= kLastLeftOrder; ++row)
        grid.SetCellText(row, 0, QString::asprintf("%d", row));
    for (int order = kLastLeftOrder + 1; order <= kLastOrder; ++order)
        grid.SetCellText(OrderCell(order).row, 3, QString::asprintf("%d", order));
    grid.SetCellText(1, 1, HarmonicTable::ThdName(*m_channel));
    for (int order = kFirstOrder; order <= kLastOrder; ++order) {
        const Cell cell = OrderCell(order);
        grid.SetCellText(cell.row, cell.column - 1, HarmonicTable::OrderName(*m_channel, order));
    }
    if (m_channel->kFactorIndex >= 0) {
        grid.SetCellText(kKFactorRow, 3, QStringLiteral("32"));
        grid.SetCellText(kKFactorRow, 4, HarmonicTable::KFactorName(*m_channel));
    }
}

void CHarmonicPage::WriteChannelValues(std::span<const int32_t, HarmonicTable::kSize> table)
{
    CGridCtrl& grid = Grid();
    grid.SetCellText(1, 2, HarmonicTable::ThdText(*m_channel, table));
    for (int order = kFirstOrder; order <= kLastOrder; ++order) {
        const Cell cell = OrderCell(order);
        grid.SetCellText(cell.row, cell.column, HarmonicTable::OrderText(*m_channel, order, table));
    }
    if (m_channel->kFactorIndex >= 0)
        grid.SetCellText(kKFactorRow, 5, HarmonicTable::KFactorText(*m_channel, table));
}

// The values appear only once every block has arrived, so the display never mixes two polls.
void CHarmonicPage::PollMeter()
{
    std::array<int32_t, HarmonicTable::kSize> table{};
    if (!ReadInBlocks(PageReads::kHarmonics, table.data())) {
        if (Modbus::CalledOff())
            return;
        KillTimer(kPollTimer);
        ShowCommunicationFail(this, CommunicationFail::BlockRead);
        return;
    }
    Grid().RedrawAll();
    WriteChannelValues(table);
    Grid().RedrawAll();
    SetTimer(kPollTimer, kNextPollMs);
}
