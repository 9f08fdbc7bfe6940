#include "pages/MeterPage.h"

#include "resources/DialogTemplates.h"
#include "comm/Line.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "meter/BlockRead.h"
#include "pages/FailureLimit.h"
#include "pages/FailureMessages.h"
#include "pages/MainWindowLink.h"
#include "pages/MeasurementGrid.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"
#include "widgets/IndicatorLamp.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {
// The framework draws no grids or lamps itself; the pages tell it how they are made.
void RegisterPageControls()
{
    static const bool registered = [] {
        CDialog::RegisterControl(ControlKind::Grid, [](QWidget* parent) { return new CGridCtrl(parent); });
        CDialog::RegisterControl(ControlKind::Lamp,
                                 [](QWidget* parent) { return new CIndicatorLamp(parent); });
        return true;
    }();
    Q_UNUSED(registered);
}
} // namespace

CMeterPage::CMeterPage(int templateId, int pageNumber, IMainWindow& main, QWidget* parent)
    : CDialog(DialogTemplateOf(templateId), parent), m_main(main), m_pageNumber(pageNumber)
{
    RegisterPageControls();
}

bool CMeterPage::IsCurrent() const
{
    return CurrentPage == m_pageNumber;
}

void CMeterPage::Poll()
{
    if (!PollsNow())
        return;
    const Modbus::SequenceGate whilePolling([this] { return PollsNow(); });
    PollMeter();
}

// A page is a dialog of its own: Escape and Return in its controls stay there
// and never close the main window.
void CMeterPage::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        CDialog::keyPressEvent(event);
    }
}

void CMeterPage::OnTimer(int n)
{
    if (n == kPollTimer)
        Poll();
}

CGridCtrl& CMeterPage::Grid() const
{
    return *DlgItem<CGridCtrl>(kPageGridId);
}

void CMeterPage::TakeSlaveIdFromPanel() const
{
    SlaveId = LeadingNumber(m_main.SlaveIdText());
}

void CMeterPage::FillList(int listId, std::span<const char* const> items) const
{
    QComboBox* list = ComboBox(listId);
    for (const char* item : items)
        list->addItem(QString::fromLatin1(item));
    list->setCurrentIndex(-1);
}

CMeterPage::PollResult CMeterPage::PollTable(const PageReads::Request& block,
                                             std::span<const MeasurementItem> items, FailureLimit& failures)
{
    const PollResult result = ReadMeasurements(block, failures);
    if (result == PollResult::Stopped || result == PollResult::Skipped)
        return result;
    if (result == PollResult::Passed) {
        WriteItemValues(Grid(), items);
        FeedTrends();
    }
    Grid().RedrawAll();
    return result;
}

CMeterPage::PollResult CMeterPage::ReadMeasurements(const PageReads::Request& block, FailureLimit& failures)
{
    if (!Line().IsOpen())
        return PollResult::Skipped;
    TakeSlaveIdFromPanel();
    // Until this meter's ratios have been read its scaled values would show as zeros: no reading.
    if (Modbus::RefreshRatios() && PageReads::Read(block)) {
        failures.Passed();
        return PollResult::Passed;
    }
    if (Modbus::CalledOff())
        return PollResult::Skipped;
    if (!failures.Failed())
        return PollResult::Failed;
    KillTimer(kPollTimer);
    ShowCommunicationFail(this, CommunicationFail::PollStopped);
    return PollResult::Stopped;
}

void CMeterPage::OfferTrends(std::span<const MeasurementItem> items)
{
    m_trendItems = items;
    CGridCtrl& grid = Grid();
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& point) { ShowTrendMenu(point); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), &grid, nullptr, nullptr,
                                   Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] {
        const CellId cell = Grid().FocusCell();
        AskForTrend(cell.row, cell.column);
    });
}

void CMeterPage::FeedTrends() const
{
    if (m_trendItems.empty())
        return;
    std::vector<PolledValue> values;
    values.reserve(m_trendItems.size());
    for (const MeasurementItem& item : m_trendItems)
        values.push_back({item.name, item.unit, MeasurementValue(item)});
    m_main.ValuesPolled(m_pageNumber, values);
}

const MeasurementItem* CMeterPage::TrendItemAt(int row, int column) const
{
    for (const MeasurementItem& item : m_trendItems)
        if (item.row == row && (item.column == column || item.column - 1 == column))
            return &item;
    return nullptr;
}

// The point is in the grid's viewport, as the grid's one hit test takes it.
void CMeterPage::ShowTrendMenu(const QPoint& point)
{
    const CellId cell = Grid().CellFromPoint(point);
    QMenu menu(this);
    QAction* trend = menu.addAction(QStringLiteral("Show trend\tCtrl+T"), this,
                                    [this, cell] { AskForTrend(cell.row, cell.column); });
    trend->setEnabled(TrendItemAt(cell.row, cell.column) != nullptr);
    menu.exec(Grid().viewport()->mapToGlobal(point));
}

void CMeterPage::AskForTrend(int row, int column)
{
    if (const MeasurementItem* item = TrendItemAt(row, column))
        m_main.ShowTrend(m_pageNumber, {item->name, item->unit, MeasurementValue(*item)});
}

int32_t LeadingNumber(const QString& text)
{
    const QByteArray latin = text.toLatin1();
    const long long value = std::strtoll(latin.constData(), nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}
