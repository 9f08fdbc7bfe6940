#pragma once

#include "widgets/ClippedTextTip.h"
#include "widgets/GridInputHandler.h"
#include "widgets/GridSelection.h"
#include "widgets/GridTypes.h"

#include <QPoint>
#include <QPointer>
#include <QTimer>

class CGridCtrl;

// What the left button is doing, or what it would start, in a grid.
enum class GridMouseMode
{
    Nothing,
    SelectAll,
    SelectColumns,
    SelectRows,
    SelectCells,
    OverRowDivider,
    SizingRow,
    OverColumnDivider,
    SizingColumn,
    PrepareEdit,
};

// Behaviour switches of the grid's mouse; the pages keep the defaults.
struct GridMouseOptions
{
    bool titleTips = true;
    // A click in a header row selects its column, one in a header column its row.
    bool headerRowSelection = true;
    bool headerColumnSelection = true;
    bool allowRowResize = true;
    bool allowColumnResize = true;
    // Whether dragging a divider may shrink a row or column to nothing.
    bool allowHideRows = true;
    bool allowHideColumns = true;
    // Distance in pixels from a divider within which resizing is offered.
    int resizeCaptureRange = 3;
    // Bit 1 measures the header rows, bit 2 the other rows, when a column is sized to fit.
    int autoSizeStyle = 3;
};

// The grid's mouse: selecting by click and drag (scrolling at the edges while
// the button is held), header clicks that select whole rows or columns,
// resizing at dividers in the header rows and columns, starting an edit by a
// second click or a double click, the right click, and the title tip over
// clipped text.
class CGridMouse : public GridInputHandler
{
public:
    explicit CGridMouse(CGridCtrl& grid);
    ~CGridMouse() override;

    GridMouseMode Mode() const { return m_mode; }
    // True while no button operation runs; hovering over a divider is not one.
    bool Idle() const;
    CClippedTextTip& TitleTip() { return *m_tip; }

    bool MousePress(QMouseEvent& event) override;
    bool MouseMove(QMouseEvent& event) override;
    bool MouseRelease(QMouseEvent& event) override;
    bool MouseDoubleClick(QMouseEvent& event) override;
    void HideTitleTip() override;

    GridMouseOptions& Options() { return m_options; }

private:
    void LeftPress(const QMouseEvent& event);
    void MoveFocusForPress(CellId cell);
    bool StartSizing(const QPoint& point);
    void StartSweep(Qt::KeyboardModifiers modifiers);
    void SelectTo(CellId cell);
    SelectionKind SweepKind() const;
    void LeftRelease(const QPoint& point);
    void RightRelease(const QPoint& point);
    void FinishSizing(const QPoint& point);
    void HoverMove(const QPoint& point);
    void OfferTitleTip(CellId cell);
    void DragMove(const QPoint& point);
    void OnDragTimer();
    void SendKey(int key);
    void EndOperation();

    bool InTextArea(CellId cell, const QPoint& point) const;
    bool OverColumnDivider(const QPoint& point) const;
    bool OverRowDivider(const QPoint& point) const;
    // The column (row) a divider under the point belongs to: the one on its
    // left (above), skipping hidden ones; -1 when there is none.
    int ColumnLeftOfDivider(const QPoint& point, bool skipHidden) const;
    int RowAboveDivider(const QPoint& point, bool skipHidden) const;
    void AutoSizeColumn(int column);
    void AutoSizeRow(int row);

    CGridCtrl& m_grid;
    GridMouseOptions m_options;
    QPointer<CClippedTextTip> m_tip;
    QTimer m_dragTimer;
    GridMouseMode m_mode = GridMouseMode::Nothing;
    CellId m_downCell;
    QPoint m_pressPoint;
    QPoint m_lastPoint;
    int m_sizingIndex = -1;
    int m_sizingStart = 0;
};
