#include "widgets/GridMouse.h"

#include "widgets/ClippedTextTip.h"
#include "widgets/GridCtrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// The sweep interval while the button is held: fast enough that dragging past
// the edge scrolls smoothly.
constexpr int kDragTimerIntervalMs = 25;

QColor TipColour(Gdi::COLORREF colour)
{
    return colour == kDefaultColour ? QColor() : ColourFromRef(colour);
}

} // namespace

CGridMouse::CGridMouse(CGridCtrl& grid) : m_grid(grid), m_tip(new CClippedTextTip(grid.viewport()))
{
    m_grid.viewport()->setMouseTracking(true);
    m_dragTimer.setInterval(kDragTimerIntervalMs);
    QObject::connect(&m_dragTimer, &QTimer::timeout, [this] { OnDragTimer(); });
}

CGridMouse::~CGridMouse()
{
    delete m_tip;
}

void CGridMouse::EndOperation()
{
    m_dragTimer.stop();
    m_mode = GridMouseMode::Nothing;
}

bool CGridMouse::Idle() const
{
    return m_mode == GridMouseMode::Nothing || m_mode == GridMouseMode::OverColumnDivider ||
           m_mode == GridMouseMode::OverRowDivider;
}

void CGridMouse::HideTitleTip()
{
    if (m_tip)
        m_tip->HideTip();
}

bool CGridMouse::MousePress(QMouseEvent& event)
{
    if (event.button() == Qt::LeftButton)
        LeftPress(event);
    return true;
}

bool CGridMouse::MouseMove(QMouseEvent& event)
{
    const QPoint point = event.position().toPoint();
    if (event.buttons() & Qt::LeftButton) {
        DragMove(point);
        return true;
    }
    // The button came up where this grid did not see it (a dialog took the
    // mouse meanwhile): the operation it held is over.
    if (!Idle())
        EndOperation();
    HoverMove(point);
    return true;
}

bool CGridMouse::MouseRelease(QMouseEvent& event)
{
    const QPoint point = event.position().toPoint();
    if (event.button() == Qt::LeftButton)
        LeftRelease(point);
    else if (event.button() == Qt::RightButton)
        RightRelease(point);
    return true;
}

// --- Left button down ---

void CGridMouse::LeftPress(const QMouseEvent& event)
{
    const QPoint point = event.position().toPoint();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    m_grid.setFocus(Qt::MouseFocusReason);
    m_pressPoint = point;
    m_lastPoint = point;
    m_downCell = m_grid.CellFromPoint(point);
    if (!m_downCell.IsValid())
        return;

    GridSelection& selection = m_grid.Selection();
    if (!(modifiers & Qt::ShiftModifier))
        selection.SetSelectionStart(m_downCell);
    else if (!selection.SelectionStart().IsValid())
        selection.SetSelectionStart(m_grid.FocusCell());
    m_grid.FinishEditing();

    if (m_downCell == m_grid.FocusCell() && !(modifiers & Qt::ControlModifier) &&
        InTextArea(m_downCell, point) && m_grid.CellEditable(m_downCell.row, m_downCell.column)) {
        m_mode = GridMouseMode::PrepareEdit;
        return;
    }
    if (selection.IsCellSelected(m_downCell.row, m_downCell.column) && (modifiers & Qt::ControlModifier)) {
        m_grid.MoveFocusTo(m_downCell.row, m_downCell.column);
        for (const CellId& cell : selection.Deselect(m_downCell))
            m_grid.RedrawCell(cell.row, cell.column);
        return;
    }
    if (StartSizing(point))
        return;
    MoveFocusForPress(m_downCell);
    StartSweep(modifiers);
}

// A header cell never holds the focus: clicking one clears it.
void CGridMouse::MoveFocusForPress(CellId cell)
{
    if (cell.row >= m_grid.HeaderRowTotal() && cell.column >= m_grid.HeaderColumnTotal())
        m_grid.MoveFocusTo(cell.row, cell.column);
    else
        m_grid.MoveFocusTo(-1, -1);
}

bool CGridMouse::StartSizing(const QPoint& point)
{
    const CellId cell = m_grid.CellFromPoint(point);
    const QRect cellRect = m_grid.CellRect(cell.row, cell.column);
    if (OverColumnDivider(point)) {
        m_mode = GridMouseMode::SizingColumn;
        m_sizingIndex = ColumnLeftOfDivider(point, false);
        m_sizingStart =
            cellRect.left() - (m_sizingIndex == cell.column ? 0 : m_grid.ColumnWidthPixels(m_sizingIndex));
        return true;
    }
    if (OverRowDivider(point)) {
        m_mode = GridMouseMode::SizingRow;
        m_sizingIndex = RowAboveDivider(point, false);
        m_sizingStart =
            cellRect.top() - (m_sizingIndex == cell.row ? 0 : m_grid.RowHeightPixels(m_sizingIndex));
        return true;
    }
    return false;
}

void CGridMouse::StartSweep(Qt::KeyboardModifiers modifiers)
{
    GridSelection& selection = m_grid.Selection();
    m_grid.Notify(GridNotification::SelectionChanging, m_downCell.row, m_downCell.column);
    if (modifiers & Qt::ControlModifier)
        selection.KeepPreviousSelection();
    else
        selection.ForgetPreviousSelection();

    const bool inHeaderRow = m_downCell.row < m_grid.HeaderRowTotal();
    const bool inHeaderColumn = m_downCell.column < m_grid.HeaderColumnTotal();
    if (inHeaderRow) {
        if (!m_options.headerRowSelection)
            return;
        m_mode = inHeaderColumn ? GridMouseMode::SelectAll : GridMouseMode::SelectColumns;
    } else if (inHeaderColumn) {
        if (!m_options.headerColumnSelection)
            return;
        m_mode = GridMouseMode::SelectRows;
    } else {
        m_mode = selection.ListMode() ? GridMouseMode::SelectRows : GridMouseMode::SelectCells;
        m_dragTimer.start();
    }
    SelectTo(m_downCell);
}

SelectionKind CGridMouse::SweepKind() const
{
    switch (m_mode) {
    case GridMouseMode::SelectAll:
        return SelectionKind::All;
    case GridMouseMode::SelectColumns:
        return SelectionKind::Columns;
    case GridMouseMode::SelectRows:
        return SelectionKind::Rows;
    default:
        return SelectionKind::Cells;
    }
}

void CGridMouse::SelectTo(CellId cell)
{
    for (const CellId& changed : m_grid.Selection().SelectUpTo(SweepKind(), cell))
        m_grid.RedrawCell(changed.row, changed.column);
}

// --- Moving ---

void CGridMouse::DragMove(const QPoint& point)
{
    m_lastPoint = point;
    if (m_mode != GridMouseMode::SelectCells && m_mode != GridMouseMode::SelectRows &&
        m_mode != GridMouseMode::SelectColumns)
        return;
    const CellId cell = m_grid.CellFromPoint(point);
    if (!cell.IsValid() || cell == m_grid.FocusCell())
        return;
    SelectTo(cell);
    if (cell.row >= m_grid.HeaderRowTotal() && cell.column >= m_grid.HeaderColumnTotal())
        m_grid.MoveFocusTo(cell.row, cell.column);
}

void CGridMouse::HoverMove(const QPoint& point)
{
    if (OverColumnDivider(point)) {
        m_mode = GridMouseMode::OverColumnDivider;
        m_grid.viewport()->setCursor(Qt::SizeHorCursor);
        return;
    }
    if (OverRowDivider(point)) {
        m_mode = GridMouseMode::OverRowDivider;
        m_grid.viewport()->setCursor(Qt::SizeVerCursor);
        return;
    }
    m_mode = GridMouseMode::Nothing;
    const CellId cell = m_grid.CellFromPoint(point);
    CGridCellBase* target = m_grid.CellAt(cell.row, cell.column);
    m_grid.viewport()->setCursor(target ? target->Cursor() : Qt::ArrowCursor);
    if (!target)
        return;
    target->OnMouseOver();
    if (m_options.titleTips)
        OfferTitleTip(cell);
}

void CGridMouse::OfferTitleTip(CellId cell)
{
    const CGridCellBase* target = m_grid.CellAt(cell.row, cell.column);
    if (!m_tip || target->IsEditing() || target->TipText().isEmpty())
        return;
    const QRect cellRect = m_grid.CellRect(cell.row, cell.column);
    const QRect textRect = target->TipTextRect(cellRect);
    if (cellRect.isEmpty() || textRect.isEmpty())
        return;
    m_tip->ShowTip(textRect, target->TipText(), 0, cellRect, target->Font(),
                   TipColour(m_grid.TitleTipTextColour()), TipColour(m_grid.TitleTipBackColour()));
}

// While the button is held beyond an edge of the cells, the view scrolls a
// line at a time (the key moves the focus and brings it into view) and the
// selection follows to the cell at that edge.
void CGridMouse::OnDragTimer()
{
    // A message box popped up by a page's poll takes the mouse, and the button
    // comes up over it; the view must not keep scrolling underneath.
    const QWidget* modal = QApplication::activeModalWidget();
    if (!m_grid.isVisible() || (modal && !modal->isAncestorOf(&m_grid))) {
        EndOperation();
        return;
    }
    const QRect area = m_grid.viewport()->rect();
    const int top = m_grid.HeaderRowHeight();
    const int left = m_grid.HeaderColumnWidth();
    const int verticalKey = m_lastPoint.y() > area.bottom() ? Qt::Key_Down
                            : m_lastPoint.y() < top         ? Qt::Key_Up
                                                            : 0;
    const int horizontalKey = m_lastPoint.x() > area.right() ? Qt::Key_Right
                              : m_lastPoint.x() < left       ? Qt::Key_Left
                                                             : 0;
    if (!verticalKey && !horizontalKey)
        return;
    if (verticalKey)
        SendKey(verticalKey);
    if (horizontalKey)
        SendKey(horizontalKey);
    const QPoint atEdge(std::clamp(m_lastPoint.x(), left, std::max(left, area.right())),
                        std::clamp(m_lastPoint.y(), top, std::max(top, area.bottom())));
    const CellId cell = m_grid.CellFromPoint(atEdge);
    if (cell.IsValid())
        SelectTo(cell);
}

void CGridMouse::SendKey(int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&m_grid, &press);
}

// --- Buttons up ---

void CGridMouse::LeftRelease(const QPoint& point)
{
    m_dragTimer.stop();
    const CellId focus = m_grid.FocusCell();
    switch (m_mode) {
    case GridMouseMode::PrepareEdit:
        if (m_grid.CellFromPoint(point) == focus)
            m_grid.BeginCellEdit(focus.row, focus.column, point, kEditByMouse);
        break;
    case GridMouseMode::SizingColumn:
    case GridMouseMode::SizingRow:
        FinishSizing(point);
        break;
    default:
        if (!m_downCell.IsValid())
            break;
        m_grid.Notify(GridNotification::SelectionChanged, m_downCell.row, m_downCell.column);
        if (CGridCellBase* cell = m_grid.CellAt(focus.row, focus.column))
            cell->OnClick(point - m_grid.CellRect(focus.row, focus.column).topLeft());
        m_grid.Notify(GridNotification::Click, m_downCell.row, m_downCell.column);
    }
    m_mode = GridMouseMode::Nothing;
    m_grid.viewport()->setCursor(Qt::ArrowCursor);
    if (m_downCell.IsValid())
        m_grid.Notify(GridNotification::Command, m_downCell.row, m_downCell.column);
}

// A click on a divider that does not move leaves the size as it was.
void CGridMouse::FinishSizing(const QPoint& point)
{
    if (point == m_pressPoint)
        return;
    if (m_mode == GridMouseMode::SizingColumn) {
        const int smallest = m_options.allowHideColumns ? 0 : 1;
        m_grid.SetColumnWidthPixels(m_sizingIndex, std::max(smallest, point.x() - m_sizingStart));
    } else {
        const int smallest = m_options.allowHideRows ? 0 : 1;
        m_grid.SetRowHeightPixels(m_sizingIndex, std::max(smallest, point.y() - m_sizingStart));
    }
    m_grid.UpdateScrollBars();
    m_grid.RedrawAll();
}

void CGridMouse::RightRelease(const QPoint& point)
{
    m_grid.FinishEditing();
    const CellId cell = m_grid.CellFromPoint(point);
    if (!cell.IsValid()) {
        m_grid.Notify(GridNotification::RightClick, -1, -1);
        return;
    }
    m_grid.MoveFocusTo(cell.row, cell.column);
    if (CGridCellBase* target = m_grid.CellAt(cell.row, cell.column))
        target->OnRClick(point - m_grid.CellRect(cell.row, cell.column).topLeft());
    m_grid.Notify(GridNotification::RightClick, cell.row, cell.column);
}

// --- Double click ---

bool CGridMouse::MouseDoubleClick(QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton)
        return true;
    EndOperation();
    const QPoint point = event.position().toPoint();
    const CellId cell = m_grid.CellFromPoint(point);
    if (!cell.IsValid())
        return true;
    if (OverColumnDivider(point)) {
        AutoSizeColumn(ColumnLeftOfDivider(point, true));
    } else if (OverRowDivider(point)) {
        AutoSizeRow(RowAboveDivider(point, true));
    } else if (cell.row >= m_grid.HeaderRowTotal() && cell.column >= m_grid.HeaderColumnTotal() &&
               InTextArea(cell, point)) {
        m_grid.BeginCellEdit(cell.row, cell.column, point, kEditByMouse);
    }
    if (CGridCellBase* target = m_grid.CellAt(cell.row, cell.column))
        target->OnDblClick(point - m_grid.CellRect(cell.row, cell.column).topLeft());
    m_grid.Notify(GridNotification::DoubleClick, cell.row, cell.column);
    return true;
}

void CGridMouse::AutoSizeColumn(int column)
{
    if (column < 0)
        return;
    const bool measureHeaders = m_options.autoSizeStyle & 1;
    const bool measureOthers = m_options.autoSizeStyle & 2;
    int width = 0;
    for (int row = 0; row < m_grid.RowTotal(); ++row) {
        const bool header = row < m_grid.HeaderRowTotal();
        if ((header && measureHeaders) || (!header && measureOthers))
            width = std::max(width, m_grid.CellAt(row, column)->CellExtent().width());
    }
    m_grid.SetColumnWidthPixels(column, width);
    m_grid.RedrawAll();
}

void CGridMouse::AutoSizeRow(int row)
{
    if (row < 0)
        return;
    int height = 0;
    for (int column = 0; column < m_grid.ColumnTotal(); ++column)
        height = std::max(height, m_grid.CellAt(row, column)->CellExtent().height());
    m_grid.SetRowHeightPixels(row, height);
    m_grid.UpdateScrollBars();
    m_grid.RedrawAll();
}

// --- Geometry ---

bool CGridMouse::InTextArea(CellId cell, const QPoint& point) const
{
    const CGridCellBase* target = m_grid.CellAt(cell.row, cell.column);
    return target && target->TextRect(m_grid.CellRect(cell.row, cell.column)).contains(point);
}

// Dividers can only be taken inside the header rows (for columns) or header
// columns (for rows); a grid without headers offers no resizing.
bool CGridMouse::OverColumnDivider(const QPoint& point) const
{
    if (!m_options.allowColumnResize || point.y() >= m_grid.HeaderRowHeight())
        return false;
    return ColumnLeftOfDivider(point, false) >= 0;
}

bool CGridMouse::OverRowDivider(const QPoint& point) const
{
    if (!m_options.allowRowResize || point.x() >= m_grid.HeaderColumnWidth())
        return false;
    return RowAboveDivider(point, false) >= 0;
}

int CGridMouse::ColumnLeftOfDivider(const QPoint& point, bool skipHidden) const
{
    const CellId cell = m_grid.CellFromPoint(point);
    if (!cell.IsValid())
        return -1;
    const int left = m_grid.CellRect(cell.row, cell.column).left();
    const int range = m_options.resizeCaptureRange;
    if (left + m_grid.ColumnWidthPixels(cell.column) - point.x() < range)
        return cell.column;
    if (point.x() - left >= range || cell.column == 0)
        return -1;
    int column = cell.column - 1;
    while (skipHidden && column > 0 && m_grid.ColumnWidthPixels(column) <= 0)
        --column;
    return column;
}

int CGridMouse::RowAboveDivider(const QPoint& point, bool skipHidden) const
{
    const CellId cell = m_grid.CellFromPoint(point);
    if (!cell.IsValid())
        return -1;
    const int top = m_grid.CellRect(cell.row, cell.column).top();
    const int range = m_options.resizeCaptureRange;
    if (top + m_grid.RowHeightPixels(cell.row) - point.y() < range)
        return cell.row;
    if (point.y() - top >= range || cell.row == 0)
        return -1;
    int row = cell.row - 1;
    while (skipHidden && row > 0 && m_grid.RowHeightPixels(row) <= 0)
        --row;
    return row;
}
