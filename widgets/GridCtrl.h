#pragma once

#include "widgets/GridCell.h"
#include "widgets/GridColour.h"
#include "widgets/GridInputHandler.h"
#include "widgets/GridModel.h"
#include "widgets/GridSelection.h"
#include "widgets/GridTypes.h"

#include <QAbstractScrollArea>
#include <functional>
#include <memory>
#include <vector>

// What the grid tells its owner. The owner's reply matters for BeginEdit (a
// negative reply vetoes the edit) and EndEdit (a negative reply rejects the
// new text); Command follows every left-button release on a valid cell.
enum class GridNotification
{
    SelectionChanging = -100,
    SelectionChanged = -101,
    BeginEdit = -105,
    EndEdit = -106,
    Click = -2,
    DoubleClick = -3,
    RightClick = -5,
    Command = 0,
};
using GridNotifyHandler = std::function<int(GridNotification code, int row, int column)>;

enum GridLines
{
    GridLinesNone = 0,
    GridLinesHorizontal = 1,
    GridLinesVertical = 2,
    GridLinesBoth = 3
};

// The table widget of the pages: rows × columns of text cells, painted by hand,
// scrolled in pixels with the view always starting at a whole cell.
class CGridCtrl : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit CGridCtrl(QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // --- What the pages use ---
    bool SetRowTotal(int rows);
    bool SetColumnTotal(int columns);
    CGridDefaultCell& DefaultCellOf(bool fixedRow, bool fixedColumn);
    bool SetColumnWidthPixels(int column, int width);
    bool SetCellText(int row, int column, const QString& text);
    // Invokable by name, so that a driver that knows only Qt can read what the grid shows.
    Q_INVOKABLE QString CellText(int row, int column) const;
    void ClearAll();
    void RedrawAll();

    // --- Table ---
    int RowTotal() const { return m_model.RowTotal(); }
    int ColumnTotal() const { return m_model.ColumnTotal(); }
    int HeaderRowTotal() const { return m_model.HeaderRowTotal(); }
    int HeaderColumnTotal() const { return m_model.HeaderColumnTotal(); }
    bool SetHeaderRowTotal(int rows);
    bool SetHeaderColumnTotal(int columns);
    bool SetRowHeightPixels(int row, int height);
    int RowHeightPixels(int row) const;
    int ColumnWidthPixels(int column) const;
    int HeaderRowHeight() const { return m_model.HeaderRowHeight(); }
    int HeaderColumnWidth() const { return m_model.HeaderColumnWidth(); }
    CGridCellBase* CellAt(int row, int column) const { return m_model.CellAt(row, column); }
    const CGridDefaultCell& DefaultCellOf(bool fixedRow, bool fixedColumn) const;
    void SetCellFactory(GridModel::CellFactory factory) { m_model.SetCellFactory(std::move(factory)); }
    bool IsModified() const { return m_modified; }
    void MarkModified(bool modified, int row = -1, int column = -1);

    // --- Focus and selection ---
    GridSelection& Selection() { return m_selection; }
    const GridSelection& Selection() const { return m_selection; }
    CellId FocusCell() const { return m_selection.FocusCell(); }
    void MoveFocusTo(int row, int column);

    // --- Geometry (viewport coordinates) ---
    // The one hit test: the cell under point, or an invalid id off the cells.
    CellId CellFromPoint(const QPoint& point) const;
    // The whole cell including its grid-line pixels; empty when not visible.
    QRect CellRect(int row, int column) const;
    CellId TopLeftNonFixedCell() const;
    // The non-fixed cells at least partly inside the viewport; rect (optional)
    // receives their pixels, which may reach past the viewport's edge.
    CellRange VisibleNonFixedCellRange(QRect* rect = nullptr) const;
    bool CellVisible(int row, int column) const;
    bool CellFullyVisible(int row, int column) const;
    void ScrollCellIntoView(int row, int column);
    void UpdateScrollBars();

    // --- Scrolling steps, as the scroll bars and the wheel take them ---
    void ScrollLines(Qt::Orientation orientation, int lines);
    void ScrollPages(Qt::Orientation orientation, int pages);
    void ScrollToStart(Qt::Orientation orientation);
    void ScrollToEnd(Qt::Orientation orientation);

    // --- Editing ---
    static constexpr int kEditorId = 8;
    bool IsEditable() const { return m_editable; }
    void SetEditable(bool editable) { m_editable = editable; }
    bool CellEditable(int row, int column) const;
    // firstKey is the typed character, a Qt::Key for the keys that end an edit
    // and go on, or kEditByMouse.
    void BeginCellEdit(int row, int column, const QPoint& point, int firstKey);
    void CommitCellEdit(int row, int column, const QString& text);
    void FinishEditing();
    // The editor's one report: commits the text and, when a move key ended the
    // edit, moves on and opens the next cell with that key.
    void OnEndInPlaceEdit(CellId cell, const QString& text, int key);
    CellId EditingCell() const { return m_editingCell; }

    // --- Drawing ---
    void RedrawCell(int row, int column);
    bool AllowDrawing() const { return m_allowDrawing; }
    void SetAllowDrawing(bool allow);
    // Qt's backing store already paints off-screen; the flag is kept for the owner.
    bool DoubleBuffered() const { return m_doubleBuffered; }
    void SetDoubleBuffered(bool on) { m_doubleBuffered = on; }
    GridLines GridLineMode() const { return m_gridLines; }
    void SetGridLineMode(GridLines lines);
    Gdi::COLORREF GridLineColour() const { return m_gridLineColour; }
    void SetGridLineColour(Gdi::COLORREF colour) { m_gridLineColour = colour; }
    Gdi::COLORREF GridBackColour() const { return m_gridBackColour; }
    void SetGridBackColour(Gdi::COLORREF colour) { m_gridBackColour = colour; }
    Gdi::COLORREF TitleTipTextColour() const { return m_titleTipTextColour; }
    Gdi::COLORREF TitleTipBackColour() const { return m_titleTipBackColour; }
    void SetTitleTipColours(Gdi::COLORREF text, Gdi::COLORREF back);
    bool TrackFocusCell() const { return m_trackFocusCell; }
    void SetTrackFocusCell(bool track) { m_trackFocusCell = track; }
    bool FrameFocusCell() const { return m_frameFocusCell; }
    void SetFrameFocusCell(bool frame) { m_frameFocusCell = frame; }
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }
    void SetSortColumn(int column, bool ascending);
    // Counts every cell drawn; a painted view only visits what it shows.
    long long CellsDrawn() const { return m_cellsDrawn; }

    // --- Owner and input ---
    void SetNotifyHandler(GridNotifyHandler handler) { m_notify = std::move(handler); }
    int Notify(GridNotification code, int row, int column);
    void AddInputHandler(std::unique_ptr<GridInputHandler> handler);
    void HideTitleTip();
    int WheelScrollLines() const { return m_wheelLines; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct SystemColours
    {
        Gdi::COLORREF windowText, window, face, shadow;
    };

    void InitDefaultCells();
    SystemColours ReadSystemColours() const;
    void FollowSystemColours();
    bool ApplyTableChange(const std::function<void()>& change);
    void OnScrollBarAction(Qt::Orientation orientation, int action);
    int LineStep(Qt::Orientation orientation, bool forward) const;
    void ContinueEditWithKey(int key);
    void ReportOutOfMemory();

    GridModel m_model;
    GridSelection m_selection;
    std::vector<std::unique_ptr<GridInputHandler>> m_inputHandlers;
    GridNotifyHandler m_notify;
    SystemColours m_system;
    Gdi::COLORREF m_gridLineColour;
    Gdi::COLORREF m_gridBackColour;
    Gdi::COLORREF m_titleTipTextColour = kDefaultColour;
    Gdi::COLORREF m_titleTipBackColour = kDefaultColour;
    GridLines m_gridLines = GridLinesBoth;
    bool m_editable = true;
    bool m_allowDrawing = true;
    bool m_doubleBuffered = true;
    bool m_trackFocusCell = true;
    bool m_frameFocusCell = true;
    bool m_modified = false;
    bool m_sortAscending = true;
    int m_sortColumn = -1;
    int m_wheelLines;
    int m_wheelRemainder = 0; // wheel delta times lines, less than one line's worth
    CellId m_editingCell;
    mutable CellId m_topLeftCache;
    long long m_cellsDrawn = 0;
};
