#include "pages/HarmonicPage.h"

#include "comm/ModbusRtu.h"
#include "framework/MessageBox.h"
#include "pages/BlockRead.h"
#include "pages/MainWindowLink.h"
#include "pages/MeasurementTable.h"
#include "pages/PrintfText.h"
#include "widgets/GridCtrl.h"

#include <algorithm>
#include <array>

// One channel of the meter's harmonic table, where index k is register 400 + k:
// its THD, its order h at 6h + orderOffset and, for a current, its K factor.
struct HarmonicChannel
{
    int button;
    int code;
    const char* name;
    int thdIndex;
    int orderOffset;
    int kFactorIndex; // -1 for the voltages, which have none
};

namespace {
constexpr int kFirstPollMs = 100;
constexpr int kNextPollMs = 200;

constexpr HarmonicChannel kChannels[] = {
    {1009, 1, "Ia", 3, 0, 6},   {1017, 2, "Ib", 4, 1, 7},   {1013, 3, "Ic", 5, 2, 8},
    {1010, 4, "Ua", 0, -3, -1}, {1012, 5, "Ub", 1, -2, -1}, {1014, 6, "Uc", 2, -1, -1},
};

constexpr int kFirstOrder = 2;
constexpr int kLastOrder = 31;
// Orders up to 24 fill the left half (row = order); the rest the right half from row 1.
constexpr int kLastLeftOrder = 24;
constexpr int kKFactorRow = 8;

// The whole table, indices 0 to 188 (registers 400 to 588), so that the
// highest orders show what the meter holds.
constexpr int kTableStart = RegisterMap::kHarmonics;
constexpr int kBlockSize = 21;
constexpr int kBlockCount = 9;
constexpr int kTableSize = kBlockSize * kBlockCount;
static_assert(6 * kLastOrder + 2 < kTableSize, "the table must reach order 31 of Ic");

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

const char* OrdinalSuffix(int order)
{
    if (order % 10 == 1 && order != 11)
        return "st";
    if (order % 10 == 2 && order != 12)
        return "nd";
    if (order % 10 == 3 && order != 13)
        return "rd";
    return "th";
}

QString Tenths(int raw)
{
    return PrintfText("%.1f", raw / 10.0);
}
} // namespace

CHarmonicPage::CHarmonicPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}

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
    SelectChannel(kChannels[0]);
}

void CHarmonicPage::OnCommand(int id)
{
    const auto* channel = std::find_if(std::begin(kChannels), std::end(kChannels),
                                       [id](const HarmonicChannel& c) { return c.button == id; });
    if (channel != std::end(kChannels))
        SelectChannel(*channel);
}

void CHarmonicPage::SelectChannel(const HarmonicChannel& channel)
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
    const QString name = QString::fromLatin1(m_channel->name);
    for (int row = 1; row <= kLastLeftOrder; ++row)
        grid.SetCellText(row, 0, QString::asprintf("%d", row));
    for (int order = kLastLeftOrder + 1; order <= kLastOrder; ++order)
        grid.SetCellText(OrderCell(order).row, 3, QString::asprintf("%d", order));
    grid.SetCellText(1, 1, name + QStringLiteral("-THD"));
    for (int order = kFirstOrder; order <= kLastOrder; ++order) {
        const Cell cell = OrderCell(order);
        grid.SetCellText(cell.row, cell.column - 1,
                         name + QString::asprintf(" %d%s Harmonic", order, OrdinalSuffix(order)));
    }
    if (m_channel->kFactorIndex >= 0) {
        grid.SetCellText(kKFactorRow, 3, QStringLiteral("32"));
        grid.SetCellText(kKFactorRow, 4, name + QStringLiteral("-K"));
    }
}

void CHarmonicPage::WriteChannelValues(const int32_t* table)
{
    CGridCtrl& grid = Grid();
    grid.SetCellText(1, 2, Tenths(table[m_channel->thdIndex]));
    for (int order = kFirstOrder; order <= kLastOrder; ++order) {
        const Cell cell = OrderCell(order);
        grid.SetCellText(cell.row, cell.column, Tenths(table[6 * order + m_channel->orderOffset]));
    }
    if (m_channel->kFactorIndex >= 0)
        grid.SetCellText(kKFactorRow, 5, QString::asprintf("%d", table[m_channel->kFactorIndex]));
}

// The values appear only once every block has arrived, so the display never mixes two polls.
void CHarmonicPage::Poll()
{
    if (CurrentPage != kPageNumber)
        return;
    std::array<int32_t, kTableSize> table{};
    // A reply shorter than asked leaves the entries it does not reach as they were: 0 in the first block.
    std::fill_n(RegisterBlock, 70, 0);
    if (!ReadInBlocks(kTableStart, kBlockCount, kBlockSize, 300, 300, table.data())) {
        KillTimer(kPollTimer);
        MessageBox(this, QStringLiteral("Communication Fail"), QStringLiteral("Notice"));
        return;
    }
    Grid().RedrawAll();
    WriteChannelValues(table.data());
    Grid().RedrawAll();
    SetTimer(kPollTimer, kNextPollMs);
}
