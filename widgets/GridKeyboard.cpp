#include "widgets/GridKeyboard.h"

#include "widgets/GridCtrl.h"
#include "widgets/GridInPlaceEdit.h"
#include "widgets/GridKeys.h"
#include "widgets/GridMouse.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

bool IsBackwardsTab(const QKeyEvent& event)
{
    return event.key() == Qt::Key_Backtab ||
           (event.key() == Qt::Key_Tab && (event.modifiers() & Qt::ShiftModifier));
}

} // namespace

CGridKeyboard::CGridKeyboard(CGridCtrl& grid, const CGridMouse& mouse)
    : m_grid(grid), m_mouse(mouse), m_clipboard(grid)
{
    m_grid.setAttribute(Qt::WA_InputMethodEnabled);
    m_grid.installEventFilter(this);
}

bool CGridKeyboard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_grid)
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto& key = static_cast<QKeyEvent&>(*event);
        if (GridKeys::IsTab(key.key()) && m_handleTab &&
            !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return KeyPress(key);
    }
    if (event->type() == QEvent::InputMethod)
        return StartEditByInputMethod(static_cast<QInputMethodEvent&>(*event).commitString());
    return false;
}

// An input method hands over whole words at once: the first character opens
// the editor as a typed one would, the rest follow it into the editor.
bool CGridKeyboard::StartEditByInputMethod(const QString& committed)
{
    const CellId focus = m_grid.FocusCell();
    if (committed.isEmpty() || !focus.IsValid() || m_grid.EditingCell().IsValid() || !m_mouse.Idle())
        return false;
    const QList<uint> characters = committed.toUcs4();
    m_grid.BeginCellEdit(focus.row, focus.column, QPoint(-1, -1), int(characters.first()));
    CGridInPlaceEdit* editor = m_grid.CellAt(focus.row, focus.column)->EditorWindow();
    const int firstLength = QChar::requiresSurrogates(characters.first()) ? 2 : 1;
    if (editor && committed.size() > firstLength)
        editor->insert(committed.mid(firstLength));
    return true;
}

// Without a focus cell the keys do nothing (Tab still leaves the grid). While
// a cell is edited the keys belong to its editor: one the editor leaves unused
// comes on to the grid and must not move the focus from under it.
bool CGridKeyboard::KeyPress(QKeyEvent& event)
{
    if (m_grid.EditingCell().IsValid())
        return true;
    if (!m_grid.FocusCell().IsValid())
        return GridKeys::MovesFocus(event.key());
    if (Command(event) || Navigate(event))
        return true;
    return StartEditByTyping(event);
}

bool CGridKeyboard::Command(const QKeyEvent& event)
{
    const int key = event.key();
    const bool ctrl = event.modifiers() & Qt::ControlModifier;
    const bool shift = event.modifiers() & Qt::ShiftModifier;
    if ((ctrl && key == Qt::Key_C) || (ctrl && key == Qt::Key_Insert))
        m_clipboard.Copy();
    else if (ctrl && key == Qt::Key_X)
        m_clipboard.Cut();
    else if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert))
        m_clipboard.Paste();
    else if (ctrl && key == Qt::Key_A)
        SelectAll();
    else if (key == Qt::Key_Delete)
        m_clipboard.ClearSelectedCells();
    else
        return false;
    return true;
}

void CGridKeyboard::SelectAll()
{
    const CellId focus = m_grid.FocusCell();
    GridSelection& selection = m_grid.Selection();
    m_grid.Notify(GridNotification::SelectionChanging, focus.row, focus.column);
    selection.ForgetPreviousSelection();
    for (const CellId& cell : selection.SelectUpTo(SelectionKind::All, focus))
        m_grid.RedrawCell(cell.row, cell.column);
    m_grid.Notify(GridNotification::SelectionChanged, focus.row, focus.column);
}

bool CGridKeyboard::Navigate(const QKeyEvent& event)
{
    const Move move = TargetOf(event, m_grid.FocusCell());
    if (!move.target.IsValid())
        return false;
    MoveTo(event, move);
    return true;
}

CGridKeyboard::Move CGridKeyboard::TargetOf(const QKeyEvent& event, CellId focus)
{
    const auto orStay = [&](int row, int column) {
        return Move{row >= 0 && column >= 0 ? CellId{row, column} : focus};
    };
    switch (event.key()) {
    case Qt::Key_Left:
        return orStay(focus.row, NextShownColumn(focus.column, -1));
    case Qt::Key_Right:
        return orStay(focus.row, NextShownColumn(focus.column, +1));
    case Qt::Key_Up:
        return orStay(NextShownRow(focus.row, -1), focus.column);
    case Qt::Key_Down:
        return orStay(NextShownRow(focus.row, +1), focus.column);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return m_handleTab ? TabTarget(IsBackwardsTab(event), focus) : Move{};
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return Move{PageTarget(event.key(), focus)};
    case Qt::Key_Home:
    case Qt::Key_End:
        return Move{HomeEndTarget(event.key(), event.modifiers() & Qt::ControlModifier, focus)};
    default:
        return Move{};
    }
}

// Tab goes on to the next row at the last column (Shift+Tab to the previous
// row at the first); at the very end there is no target and the key leaves the grid.
CGridKeyboard::Move CGridKeyboard::TabTarget(bool backwards, CellId focus) const
{
    const int step = backwards ? -1 : +1;
    const int column = NextShownColumn(focus.column, step);
    if (column >= 0)
        return Move{CellId{focus.row, column}};
    const int row = NextShownRow(focus.row, step);
    const int wrapColumn = backwards ? NextShownColumn(m_grid.ColumnTotal(), -1)
                                     : NextShownColumn(m_grid.HeaderColumnTotal() - 1, +1);
    if (row < 0 || wrapColumn < 0)
        return Move{};
    return Move{CellId{row, wrapColumn}, true};
}

// The focus follows the page by as many rows as the top row moved; when the
// view could not move, it goes to the first or last row.
CellId CGridKeyboard::PageTarget(int key, CellId focus)
{
    const bool down = key == Qt::Key_PageDown;
    const int oldTop = m_grid.TopLeftNonFixedCell().row;
    m_grid.ScrollPages(Qt::Vertical, down ? 1 : -1);
    const int moved = m_grid.TopLeftNonFixedCell().row - oldTop;
    const int firstRow = m_grid.HeaderRowTotal();
    const int lastRow = m_grid.RowTotal() - 1;
    if (moved == 0)
        return CellId{down ? lastRow : firstRow, focus.column};
    return CellId{std::clamp(focus.row + moved, firstRow, lastRow), focus.column};
}

CellId CGridKeyboard::HomeEndTarget(int key, bool ctrl, CellId focus)
{
    const bool home = key == Qt::Key_Home;
    CellId target = focus;
    if (home) {
        m_grid.ScrollToStart(Qt::Horizontal);
        target.column = NextShownColumn(m_grid.HeaderColumnTotal() - 1, +1);
    } else {
        m_grid.ScrollToEnd(Qt::Horizontal);
        target.column = NextShownColumn(m_grid.ColumnTotal(), -1);
    }
    if (ctrl && home) {
        m_grid.ScrollToStart(Qt::Vertical);
        target.row = NextShownRow(m_grid.HeaderRowTotal() - 1, +1);
    } else if (ctrl) {
        m_grid.ScrollToEnd(Qt::Vertical);
        target.row = NextShownRow(m_grid.RowTotal(), -1);
    }
    return target.IsValid() ? target : focus;
}

void CGridKeyboard::MoveTo(const QKeyEvent& event, const Move& move)
{
    const CellId target = move.target;
    if (target == m_grid.FocusCell())
        return;
    // While the mouse sweeps a selection it owns the selection; its timer
    // sends these keys only to scroll.
    if (m_mouse.Idle()) {
        const bool keepStart = (event.modifiers() & Qt::ShiftModifier) && !GridKeys::IsTab(event.key());
        SelectTo(target, keepStart);
    }
    m_grid.MoveFocusTo(target.row, target.column);
    if (!m_grid.CellFullyVisible(target.row, target.column)) {
        ScrollTowards(IsBackwardsTab(event) ? int(Qt::Key_Backtab) : event.key(), move.wrapped);
        m_grid.RedrawAll();
    }
    m_grid.ScrollCellIntoView(target.row, target.column);
}

void CGridKeyboard::SelectTo(CellId target, bool keepStart)
{
    GridSelection& selection = m_grid.Selection();
    selection.ForgetPreviousSelection();
    m_grid.Notify(GridNotification::SelectionChanging, target.row, target.column);
    if (!keepStart)
        selection.SetSelectionStart(target);
    else if (!selection.SelectionStart().IsValid())
        selection.SetSelectionStart(m_grid.FocusCell());
    const SelectionKind kind = selection.ListMode() ? SelectionKind::Rows : SelectionKind::Cells;
    for (const CellId& cell : selection.SelectUpTo(kind, target))
        m_grid.RedrawCell(cell.row, cell.column);
    m_grid.Notify(GridNotification::SelectionChanged, target.row, target.column);
}

void CGridKeyboard::ScrollTowards(int key, bool wrapped)
{
    switch (key) {
    case Qt::Key_Left:
        m_grid.ScrollLines(Qt::Horizontal, -1);
        break;
    case Qt::Key_Right:
        m_grid.ScrollLines(Qt::Horizontal, 1);
        break;
    case Qt::Key_Up:
        m_grid.ScrollLines(Qt::Vertical, -1);
        break;
    case Qt::Key_Down:
        m_grid.ScrollLines(Qt::Vertical, 1);
        break;
    case Qt::Key_Tab:
        m_grid.ScrollLines(wrapped ? Qt::Vertical : Qt::Horizontal, 1);
        if (wrapped)
            m_grid.ScrollToStart(Qt::Horizontal);
        break;
    case Qt::Key_Backtab:
        m_grid.ScrollLines(wrapped ? Qt::Vertical : Qt::Horizontal, -1);
        if (wrapped)
            m_grid.ScrollToEnd(Qt::Horizontal);
        break;
    default:
        break;
    }
}

bool CGridKeyboard::StartEditByTyping(const QKeyEvent& event)
{
    if (!m_mouse.Idle() || (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const int key = event.key();
    if (key == Qt::Key_Escape || GridKeys::IsTab(event.key()))
        return false;
    int firstKey = 0;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        firstKey = Qt::Key_Return;
    else if (key == Qt::Key_Backspace)
        firstKey = Qt::Key_Backspace;
    else if (!event.text().isEmpty() && event.text().front().isPrint())
        firstKey = int(event.text().toUcs4().constFirst());
    else
        return false;
    const CellId focus = m_grid.FocusCell();
    m_grid.BeginCellEdit(focus.row, focus.column, QPoint(-1, -1), firstKey);
    return true;
}

int CGridKeyboard::NextShownColumn(int column, int step) const
{
    for (int next = column + step; next >= m_grid.HeaderColumnTotal() && next < m_grid.ColumnTotal();
         next += step) {
        if (m_grid.ColumnWidthPixels(next) > 0)
            return next;
    }
    return -1;
}

int CGridKeyboard::NextShownRow(int row, int step) const
{
    for (int next = row + step; next >= m_grid.HeaderRowTotal() && next < m_grid.RowTotal(); next += step) {
        if (m_grid.RowHeightPixels(next) > 0)
            return next;
    }
    return -1;
}
