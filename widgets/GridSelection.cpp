#include "widgets/GridSelection.h"

#include "widgets/GridModel.h"

#include <algorithm>

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

CellRange GridSelection::SelectedRange() const
{
    if (m_selected.empty())
        return CellRange{};
    CellRange range{m_selected.begin()->row, m_selected.begin()->column, m_selected.begin()->row,
                    m_selected.begin()->column};
    for (const CellId& cell : m_selected) {
        range.minRow = std::min(range.minRow, cell.row);
        range.maxRow = std::max(range.maxRow, cell.row);
        range.minColumn = std::min(range.minColumn, cell.column);
        range.maxColumn = std::max(range.maxColumn, cell.column);
    }
    return range;
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

CellRange GridSelection::SweptRange(SelectionKind kind, CellId current) const
{
    const int firstRow = m_model.HeaderRowTotal();
    const int firstColumn = m_model.HeaderColumnTotal();
    const int lastRow = m_model.RowTotal() - 1;
    const int lastColumn = m_model.ColumnTotal() - 1;
    const bool currentInTable = m_model.IsValid(current.row, current.column);
    switch (kind) {
    case SelectionKind::All:
        return CellRange{firstRow, firstColumn, lastRow, lastColumn};
    case SelectionKind::Cells:
        if (!currentInTable || !m_model.IsValid(m_start.row, m_start.column) || current.row < firstRow ||
            current.column < firstColumn || m_start.row < firstRow || m_start.column < firstColumn)
            return CellRange{};
        return CellRange{std::min(m_start.row, current.row), std::min(m_start.column, current.column),
                         std::max(m_start.row, current.row), std::max(m_start.column, current.column)};
    case SelectionKind::Rows: {
        if (!currentInTable || current.row < firstRow)
            return CellRange{};
        const bool onlyCurrent = (m_singleRow && m_listMode) || m_start.row < 0;
        const int startRow = onlyCurrent ? current.row : m_start.row;
        return CellRange{std::max(firstRow, std::min(startRow, current.row)), firstColumn,
                         std::max(startRow, current.row), lastColumn};
    }
    case SelectionKind::Columns: {
        if (!currentInTable || current.column < firstColumn)
            return CellRange{};
        const int startColumn = (m_singleColumn || m_start.column < 0) ? current.column : m_start.column;
        return CellRange{firstRow, std::max(firstColumn, std::min(startColumn, current.column)), lastRow,
                         std::max(startColumn, current.column)};
    }
    }
    return CellRange{};
}

std::vector<CellId> GridSelection::SelectUpTo(SelectionKind kind, CellId current)
{
    if (!m_enabled)
        return {};
    const CellRange range = SweptRange(kind, current);
    if (!range.IsValid())
        return {};
    std::set<CellId> selected = m_previous;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        for (int column = range.minColumn; column <= range.maxColumn; ++column)
            selected.insert(CellId{row, column});
    }
    return ReplaceSelection(std::move(selected));
}

std::vector<CellId> GridSelection::Deselect(CellId cell)
{
    std::set<CellId> selected = m_selected;
    if (m_listMode)
        std::erase_if(selected, [&](const CellId& each) { return each.row == cell.row; });
    else
        selected.erase(cell);
    return ReplaceSelection(std::move(selected));
}

std::vector<CellId> GridSelection::ReplaceSelection(std::set<CellId> selected)
{
    std::vector<CellId> changed;
    std::set_symmetric_difference(m_selected.begin(), m_selected.end(), selected.begin(), selected.end(),
                                  std::back_inserter(changed));
    for (const CellId& cell : changed)
        SetCellBit(cell, CellSelected, selected.contains(cell));
    m_selected = std::move(selected);
    return changed;
}

void GridSelection::OnTableShrunk(int rowTotal, int columnTotal)
{
    if (m_focus.row >= rowTotal || m_focus.column >= columnTotal)
        m_focus = CellId{};
    if (m_start.row >= rowTotal || m_start.column >= columnTotal)
        m_start = CellId{};
    const auto gone = [&](const CellId& cell) { return cell.row >= rowTotal || cell.column >= columnTotal; };
    std::erase_if(m_selected, gone);
    std::erase_if(m_previous, gone);
}

void GridSelection::Forget()
{
    m_focus = CellId{};
    m_start = CellId{};
    m_selected.clear();
    m_previous.clear();
}
