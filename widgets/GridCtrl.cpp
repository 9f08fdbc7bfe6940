#include "widgets/GridCtrl.h"

#include "framework/MessageBox.h"
#include "widgets/GridInPlaceEdit.h"
#include "widgets/GridKeyboard.h"
#include "widgets/GridKeys.h"
#include "widgets/GridMouse.h"
#include "widgets/GridPainter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

// The dialogs paint themselves in their own colours; the grid keeps the
// system's. Every role is marked as set so nothing of a parent's palette leaks in.
QPalette ApplicationPaletteFullySet()
{
    QPalette palette = QApplication::palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colourGroup = QPalette::ColorGroup(group);
            const auto colourRole = QPalette::ColorRole(role);
            palette.setBrush(colourGroup, colourRole, palette.brush(colourGroup, colourRole));
        }
    }
    return palette;
}

QFont ApplicationFontFullySet()
{
    QFont font = QApplication::font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

// Calls back when the application's palette changes; a child of the object it serves.
class ApplicationPaletteWatcher : public QObject
{
public:
    ApplicationPaletteWatcher(QObject* parent, std::function<void()> changed)
        : QObject(parent), m_changed(std::move(changed))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
            m_changed();
        return false;
    }

private:
    std::function<void()> m_changed;
};

} // namespace

CGridCtrl::CGridCtrl(QWidget* parent)
    : QAbstractScrollArea(parent), m_model(this), m_selection(m_model),
      m_gridLineColour(Gdi::RGB(192, 192, 192)), m_wheelLines(QApplication::wheelScrollLines())
{
    setPalette(ApplicationPaletteFullySet());
    setFont(ApplicationFontFullySet());
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_system = ReadSystemColours();
    m_gridBackColour = m_system.shadow;
    InitDefaultCells();
    // Qt tells only top-level windows of a new application palette, and the
    // grid's own full palette keeps it from inheriting the change: listen to
    // the application itself.
    qApp->installEventFilter(new ApplicationPaletteWatcher(this, [this] { FollowSystemColours(); }));
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollBarAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollBarAction(Qt::Horizontal, action); });
    auto mouse = std::make_unique<CGridMouse>(*this);
    AddInputHandler(std::make_unique<CGridKeyboard>(*this, *mouse));
    AddInputHandler(std::move(mouse));
    UpdateScrollBars();
}

CGridCtrl::~CGridCtrl()
{
    // The editor is a child widget and outlives this object's members; it must
    // not report to a grid that is half gone.
    if (const CGridCellBase* cell = CellAt(m_editingCell.row, m_editingCell.column)) {
        if (CGridInPlaceEdit* editor = cell->EditorWindow())
            editor->Detach();
    }
}

// Win32 system colours by their nearest palette roles: the window colours are
// the colours of text entry (Base, Text), the face and shadow those of buttons.
CGridCtrl::SystemColours CGridCtrl::ReadSystemColours() const
{
    const QPalette& colours = palette();
    return SystemColours{
        RefFromColour(colours.color(QPalette::Text)), RefFromColour(colours.color(QPalette::Base)),
        RefFromColour(colours.color(QPalette::Button)), RefFromColour(colours.color(QPalette::Dark))};
}

void CGridCtrl::InitDefaultCells()
{
    for (const bool fixedRow : {false, true}) {
        for (const bool fixedColumn : {false, true}) {
            CGridDefaultCell& cell = m_model.DefaultCellOf(fixedRow, fixedColumn);
            cell.SetGrid(this);
            cell.SetTextColour(m_system.windowText);
            cell.SetBackColour(fixedRow || fixedColumn ? m_system.face : m_system.window);
        }
    }
}

// A default cell still showing the old system colour follows the new one; a
// colour the owner chose stays.
void CGridCtrl::FollowSystemColours()
{
    const SystemColours old = m_system;
    setPalette(ApplicationPaletteFullySet());
    m_system = ReadSystemColours();
    for (const bool fixedRow : {false, true}) {
        for (const bool fixedColumn : {false, true}) {
            CGridDefaultCell& cell = m_model.DefaultCellOf(fixedRow, fixedColumn);
            const bool normal = !fixedRow && !fixedColumn;
            if (cell.TextColour() == old.windowText)
                cell.SetTextColour(m_system.windowText);
            if (cell.BackColour() == (normal ? old.window : old.face))
                cell.SetBackColour(normal ? m_system.window : m_system.face);
        }
    }
    if (m_gridBackColour == old.shadow)
        m_gridBackColour = m_system.shadow;
    RedrawAll();
}

void CGridCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ApplicationPaletteChange) {
        FollowSystemColours();
    } else if (event->type() == QEvent::FontChange) {
        const QFont newFont = font();
        for (const bool fixedRow : {false, true}) {
            for (const bool fixedColumn : {false, true})
                m_model.DefaultCellOf(fixedRow, fixedColumn).SetFont(&newFont);
        }
        RedrawAll();
    }
    QAbstractScrollArea::changeEvent(event);
}

// --- What the pages use ---

void CGridCtrl::ReportOutOfMemory()
{
    MessageBox(this, QStringLiteral("Out of memory."), QStringLiteral("Error"));
}

bool CGridCtrl::ApplyTableChange(const std::function<void()>& change)
{
    FinishEditing();
    bool done = true;
    try {
        change();
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
        done = false;
    }
    m_selection.OnTableShrunk(RowTotal(), ColumnTotal());
    m_modified = true;
    UpdateScrollBars();
    RedrawAll();
    return done;
}

bool CGridCtrl::SetRowTotal(int rows)
{
    if (rows < 0)
        return false;
    if (rows == RowTotal())
        return true;
    return ApplyTableChange([&] { m_model.SetRowTotal(rows); });
}

bool CGridCtrl::SetColumnTotal(int columns)
{
    if (columns < 0)
        return false;
    if (columns == ColumnTotal())
        return true;
    return ApplyTableChange([&] { m_model.SetColumnTotal(columns); });
}

bool CGridCtrl::SetHeaderRowTotal(int rows)
{
    if (rows < 0)
        return false;
    return ApplyTableChange([&] { m_model.SetHeaderRowTotal(rows); });
}

bool CGridCtrl::SetHeaderColumnTotal(int columns)
{
    if (columns < 0)
        return false;
    return ApplyTableChange([&] { m_model.SetHeaderColumnTotal(columns); });
}

CGridDefaultCell& CGridCtrl::DefaultCellOf(bool fixedRow, bool fixedColumn)
{
    return m_model.DefaultCellOf(fixedRow, fixedColumn);
}

const CGridDefaultCell& CGridCtrl::DefaultCellOf(bool fixedRow, bool fixedColumn) const
{
    return m_model.DefaultCellOf(fixedRow, fixedColumn);
}

bool CGridCtrl::SetColumnWidthPixels(int column, int width)
{
    if (column < 0 || column >= ColumnTotal() || width < 0 || !m_model.SetColumnWidth(column, width))
        return false;
    UpdateScrollBars();
    return true;
}

bool CGridCtrl::SetRowHeightPixels(int row, int height)
{
    if (row < 0 || row >= RowTotal() || height < 0 || !m_model.SetRowHeight(row, height))
        return false;
    UpdateScrollBars();
    return true;
}

int CGridCtrl::ColumnWidthPixels(int column) const
{
    return column >= 0 && column < ColumnTotal() ? m_model.ColumnWidth(column) : -1;
}

int CGridCtrl::RowHeightPixels(int row) const
{
    return row >= 0 && row < RowTotal() ? m_model.RowHeight(row) : -1;
}

bool CGridCtrl::SetCellText(int row, int column, const QString& text)
{
    CGridCellBase* cell = CellAt(row, column);
    if (!cell)
        return false;
    cell->SetText(text);
    MarkModified(true, row, column);
    return true;
}

QString CGridCtrl::CellText(int row, int column) const
{
    const CGridCellBase* cell = CellAt(row, column);
    return cell ? cell->Text() : QString();
}

void CGridCtrl::ClearAll()
{
    FinishEditing();
    m_selection.Forget();
    m_model.Clear();
    UpdateScrollBars();
    m_modified = true;
}

void CGridCtrl::RedrawAll()
{
    if (m_allowDrawing)
        viewport()->update();
}

void CGridCtrl::MarkModified(bool modified, int row, int column)
{
    if (CGridCellBase* cell = CellAt(row, column)) {
        const quint32 state = cell->State();
        cell->SetState(modified ? (state | CellModified) : (state & ~quint32(CellModified)));
        m_modified = m_modified || modified;
        return;
    }
    m_modified = modified;
    if (modified)
        return;
    for (int r = 0; r < RowTotal(); ++r) {
        for (int c = 0; c < ColumnTotal(); ++c) {
            CGridCellBase* each = CellAt(r, c);
            each->SetState(each->State() & ~quint32(CellModified));
        }
    }
}

// --- Focus ---

void CGridCtrl::MoveFocusTo(int row, int column)
{
    const CellId old = FocusCell();
    if (old == CellId{row, column})
        return;
    if (row != -1)
        row = std::max(row, HeaderRowTotal());
    if (column != -1)
        column = std::max(column, HeaderColumnTotal());
    m_selection.SetFocusCell(CellId{row, column});
    const CellId now = FocusCell();
    RedrawCell(old.row, old.column);
    RedrawCell(now.row, now.column);
    if (!m_trackFocusCell)
        return;
    // Headers of the focus row and column are drawn sunken: they follow it.
    for (int fixedRow = 0; fixedRow < HeaderRowTotal() && old.column != now.column; ++fixedRow) {
        RedrawCell(fixedRow, old.column);
        RedrawCell(fixedRow, now.column);
    }
    for (int fixedColumn = 0; fixedColumn < HeaderColumnTotal() && old.row != now.row; ++fixedColumn) {
        RedrawCell(old.row, fixedColumn);
        RedrawCell(now.row, fixedColumn);
    }
}

// --- Drawing ---

void CGridCtrl::RedrawCell(int row, int column)
{
    if (!m_allowDrawing || !CellVisible(row, column))
        return;
    viewport()->update(CellRect(row, column));
}

void CGridCtrl::SetAllowDrawing(bool allow)
{
    m_allowDrawing = allow;
    if (allow) {
        UpdateScrollBars();
        RedrawAll();
    }
}

void CGridCtrl::SetGridLineMode(GridLines lines)
{
    m_gridLines = lines;
    RedrawAll();
}

void CGridCtrl::SetTitleTipColours(Gdi::COLORREF text, Gdi::COLORREF back)
{
    m_titleTipTextColour = text;
    m_titleTipBackColour = back;
}

void CGridCtrl::SetSortColumn(int column, bool ascending)
{
    m_sortColumn = column;
    m_sortAscending = ascending;
    RedrawAll();
}

void CGridCtrl::paintEvent(QPaintEvent* event)
{
    if (!m_allowDrawing)
        return;
    QPainter painter(viewport());
    QRect visibleRect;
    GridPaintContext context{
        painter, *this, m_model, event->rect(), viewport()->rect(), VisibleNonFixedCellRange(&visibleRect)};
    context.fixedWidth = HeaderColumnWidth();
    context.fixedHeight = HeaderRowHeight();
    context.visibleRight = visibleRect.left() + visibleRect.width();
    context.visibleBottom = visibleRect.top() + visibleRect.height();
    GridPainter::Paint(context);
    m_cellsDrawn += context.cellsDrawn;
}

// --- Owner and input ---

int CGridCtrl::Notify(GridNotification code, int row, int column)
{
    return m_notify ? m_notify(code, row, column) : 0;
}

void CGridCtrl::AddInputHandler(std::unique_ptr<GridInputHandler> handler)
{
    m_inputHandlers.push_back(std::move(handler));
}

void CGridCtrl::HideTitleTip()
{
    for (const auto& handler : m_inputHandlers)
        handler->HideTitleTip();
}

void CGridCtrl::keyPressEvent(QKeyEvent* event)
{
    for (const auto& handler : m_inputHandlers) {
        if (handler->KeyPress(*event))
            return;
    }
    const CellId focus = FocusCell();
    if (event->key() == Qt::Key_F2 && focus.IsValid()) {
        BeginCellEdit(focus.row, focus.column, QPoint(), kEditByMouse);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CGridCtrl::mousePressEvent(QMouseEvent* event)
{
    for (const auto& handler : m_inputHandlers) {
        if (handler->MousePress(*event))
            return;
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event)
{
    for (const auto& handler : m_inputHandlers) {
        if (handler->MouseMove(*event))
            return;
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    for (const auto& handler : m_inputHandlers) {
        if (handler->MouseRelease(*event))
            return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    for (const auto& handler : m_inputHandlers) {
        if (handler->MouseDoubleClick(*event))
            return;
    }
    const CellId cell = CellFromPoint(event->position().toPoint());
    if (cell.IsValid() && cell.row >= HeaderRowTotal() && cell.column >= HeaderColumnTotal())
        BeginCellEdit(cell.row, cell.column, event->position().toPoint(), kEditByMouse);
}

// --- Editing ---

bool CGridCtrl::CellEditable(int row, int column) const
{
    const CGridCellBase* cell = CellAt(row, column);
    return m_editable && cell && !cell->IsReadOnly();
}

void CGridCtrl::BeginCellEdit(int row, int column, const QPoint& point, int firstKey)
{
    HideTitleTip();
    if (!CellEditable(row, column))
        return;
    if (m_editingCell.IsValid() && m_editingCell != CellId{row, column})
        FinishEditing();
    ScrollCellIntoView(row, column);
    if (!CellVisible(row, column))
        return;
    QRect rect = CellRect(row, column);
    if (Notify(GridNotification::BeginEdit, row, column) < 0)
        return;
    // The editor covers the cell inside its grid lines.
    rect.adjust(0, 0, -1, -1);
    m_editingCell = CellId{row, column};
    CellAt(row, column)->Edit(row, column, rect, point, kEditorId, firstKey);
}

void CGridCtrl::CommitCellEdit(int row, int column, const QString& text)
{
    CGridCellBase* cell = CellAt(row, column);
    if (!cell)
        return;
    const QString oldText = cell->Text();
    if (text != oldText) {
        cell->SetText(text);
        if (cell->ValidateEdit(text) && Notify(GridNotification::EndEdit, row, column) >= 0) {
            MarkModified(true, row, column);
            RedrawCell(row, column);
        } else {
            cell->SetText(oldText);
        }
    }
    cell->OnEndEdit();
}

void CGridCtrl::FinishEditing()
{
    if (CGridCellBase* cell = CellAt(m_editingCell.row, m_editingCell.column))
        cell->EndEdit();
    m_editingCell = CellId{};
}

void CGridCtrl::OnEndInPlaceEdit(CellId cell, const QString& text, int key)
{
    if (cell == m_editingCell)
        m_editingCell = CellId{};
    // Escape cancels: the cell keeps its present text, which a poll may have
    // rewritten since the edit began, and nothing is reported as changed.
    if (key == Qt::Key_Escape) {
        if (CGridCellBase* cancelled = CellAt(cell.row, cell.column))
            cancelled->OnEndEdit();
        return;
    }
    CommitCellEdit(cell.row, cell.column, text);
    // After Tab or a key that moves the focus, editing goes on in the cell the key moves to.
    if (GridKeys::IsTab(key) || GridKeys::MovesFocus(key))
        ContinueEditWithKey(key);
}

// The key that ended the edit moves the focus as a key press would, and the
// cell it lands on opens with its whole text selected.
void CGridCtrl::ContinueEditWithKey(int key)
{
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    keyPressEvent(&press);
    const CellId focus = FocusCell();
    if (focus.IsValid())
        BeginCellEdit(focus.row, focus.column, QPoint(), key);
}
