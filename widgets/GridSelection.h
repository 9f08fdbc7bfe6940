#pragma once

#include "widgets/GridTypes.h"

#include <set>

class GridModel;

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
    // Replaces the selection by the existing cells of range.
    void SetSelectedRange(const CellRange& range);
    void ClearSelection();

    // The table lost rows or columns: forgets the focus and the selected cells
    // that are gone. The removed cells are already deleted and are not touched.
    void OnTableShrunk(int rowTotal, int columnTotal);
    // Every cell was deleted: forget everything without touching a cell.
    void Forget();

private:
    void SetCellBit(CellId cell, quint32 bit, bool on);

    GridModel& m_model;
    CellId m_focus;
    std::set<CellId> m_selected;
};
