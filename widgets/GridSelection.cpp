#include "widgets/GridSelection.h"

#include "widgets/GridModel.h"

GridSelection::GridSelection(GridModel& model) : m_model(model) {}

void GridSelection::SetCellBit(CellId cell, quint32 bit, bool on)
{
    CGridCellBase* target = m_model.CellAt(cell.row, cell.column);
    if (!target)
        return;
    const quint32 state = target->State();
    target->SetState(on ? (state | bit) : (state & ~bit));
}

void GridSelection::SetFocusCell(CellId cell)
{
    SetCellBit(m_focus, CellFocused, false);
    m_focus = m_model.IsValid(cell.row, cell.column) ? cell : CellId{};
    SetCellBit(m_focus, CellFocused, true);
}

void GridSelection::SetSelectedRange(const CellRange& range)
{
    ClearSelection();
    if (!range.IsValid())
        return;
    const int lastRow = std::min(range.maxRow, m_model.RowTotal() - 1);
    const int lastColumn = std::min(range.maxColumn, m_model.ColumnTotal() - 1);
    for (int row = range.minRow; row <= lastRow; ++row) {
        for (int column = range.minColumn; column <= lastColumn; ++column) {
            m_selected.insert(CellId{row, column});
            SetCellBit(CellId{row, column}, CellSelected, true);
        }
    }
}

void GridSelection::ClearSelection()
{
    for (const CellId& cell : m_selected)
        SetCellBit(cell, CellSelected, false);
    m_selected.clear();
}

void GridSelection::OnTableShrunk(int rowTotal, int columnTotal)
{
    if (m_focus.row >= rowTotal || m_focus.column >= columnTotal)
        m_focus = CellId{};
    std::erase_if(m_selected,
                  [&](const CellId& cell) { return cell.row >= rowTotal || cell.column >= columnTotal; });
}

void GridSelection::Forget()
{
    m_focus = CellId{};
    m_selected.clear();
}
