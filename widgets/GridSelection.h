#pragma once

#include "widgets/GridTypes.h"

#include <QtGlobal>

#include <set>
#include <vector>

class GridModel;

// What a selection sweep covers between the selection start and the cell the
// user has reached: a block of cells, whole rows, whole columns, or everything.
enum class SelectionKind
{
    Cells,
    Rows,
    Columns,
    All,
};

// The focus cell and the set of selected cells. It keeps the focused and
// selected bits of the cells in step with its own record, so a cell can draw
// its look without asking anyone; redrawing is the grid's job.
class GridSelection
{
public:
    explicit GridSelection(GridModel& model);

    CellId FocusCell() const { return m_focus; }
    // Moves the focused bit; an invalid or missing cell just clears the focus.
    void SetFocusCell(CellId cell);
    void ClearFocus() { SetFocusCell(CellId{}); }

    bool IsCellSelected(int row, int column) const { return m_selected.contains(CellId{row, column}); }
    const std::set<CellId>& SelectedCells() const { return m_selected; }
    // The smallest block holding every selected cell; invalid when none is.
    CellRange SelectedRange() const;
    // Replaces the selection by the existing cells of range.
    void SetSelectedRange(const CellRange& range);
    void ClearSelection();

    // The corner a sweep starts from: where the button went down, or where the
    // keyboard moved without Shift.
    CellId SelectionStart() const { return m_start; }
    void SetSelectionStart(CellId cell) { m_start = cell; }

    // A sweep with Ctrl held adds to what was selected before it began.
    void KeepPreviousSelection() { m_previous = m_selected; }
    void ForgetPreviousSelection() { m_previous.clear(); }

    // Selects what kind covers between the selection start and current, plus
    // the cells kept from before the sweep. Returns the cells whose selected
    // state changed, which need redrawing.
    std::vector<CellId> SelectUpTo(SelectionKind kind, CellId current);
    // Takes one cell (its whole row in list mode) out of the selection; returns
    // the cells that changed.
    std::vector<CellId> Deselect(CellId cell);

    bool SelectionEnabled() const { return m_enabled; }
    void SetSelectionEnabled(bool enabled) { m_enabled = enabled; }
    // List mode selects whole rows.
    bool ListMode() const { return m_listMode; }
    void SetListMode(bool listMode) { m_listMode = listMode; }
    void SetSingleRowSelection(bool single) { m_singleRow = single; }
    void SetSingleColumnSelection(bool single) { m_singleColumn = single; }

    // The table lost rows or columns: forgets the focus and the selected cells
    // that are gone. The removed cells are already deleted and are not touched.
    void OnTableShrunk(int rowTotal, int columnTotal);
    // Every cell was deleted: forget everything without touching a cell.
    void Forget();

private:
    void SetCellBit(CellId cell, quint32 bit, bool on);
    // The non-fixed block that kind covers between the start and current;
    // invalid when the sweep reaches into the fixed rows or columns.
    CellRange SweptRange(SelectionKind kind, CellId current) const;
    std::vector<CellId> ReplaceSelection(std::set<CellId> selected);

    GridModel& m_model;
    CellId m_focus;
    CellId m_start;
    std::set<CellId> m_selected;
    std::set<CellId> m_previous;
    bool m_enabled = true;
    bool m_listMode = false;
    bool m_singleRow = false;
    bool m_singleColumn = false;
};
