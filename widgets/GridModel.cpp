#include "widgets/GridModel.h"

#include <algorithm>
#include <limits>

namespace {

// Set refuses sizes past an int; only a vast number of rows or columns at their
// default size can still add up beyond one.
int ClampToInt(long long pixels)
{
    return static_cast<int>(std::min<long long>(pixels, std::numeric_limits<int>::max()));
}

int DefaultIndex(bool fixedRow, bool fixedColumn)
{
    return (fixedRow ? 2 : 0) + (fixedColumn ? 1 : 0);
}

} // namespace

GridModel::GridModel(CGridCtrl* grid) : m_grid(grid), m_factory([] { return std::make_unique<CGridCell>(); })
{
}

CGridDefaultCell& GridModel::DefaultCellOf(bool fixedRow, bool fixedColumn)
{
    return m_defaults[DefaultIndex(fixedRow, fixedColumn)];
}

const CGridDefaultCell& GridModel::DefaultCellOf(bool fixedRow, bool fixedColumn) const
{
    return m_defaults[DefaultIndex(fixedRow, fixedColumn)];
}

CGridCellBase* GridModel::CellAt(int row, int column) const
{
    if (!IsValid(row, column))
        return nullptr;
    return m_rows[size_t(row)][size_t(column)].get();
}

std::unique_ptr<CGridCellBase> GridModel::MakeCell(int row, int column) const
{
    std::unique_ptr<CGridCellBase> cell = m_factory();
    cell->SetGrid(m_grid);
    cell->SetCoords(row, column);
    quint32 state = 0;
    if (row < m_headerRows)
        state |= CellFixed | CellFixedRow;
    if (column < m_headerColumns)
        state |= CellFixed | CellFixedColumn;
    cell->SetState(state);
    cell->SetFormat(cell->DefaultCell()->Format());
    return cell;
}

void GridModel::SetRowTotal(int rows)
{
    rows = std::max(rows, 0);
    m_headerRows = std::min(m_headerRows, rows);
    if (rows < RowTotal()) {
        m_rows.resize(size_t(rows));
        m_rowHeights.Resize(rows);
        return;
    }
    const int height = DefaultCellOf(false, false).DefaultSize().height();
    m_rows.reserve(size_t(rows));
    m_rowHeights.Reserve(rows);
    while (RowTotal() < rows) {
        const int row = RowTotal();
        Row cells;
        cells.reserve(size_t(ColumnTotal()));
        for (int column = 0; column < ColumnTotal(); ++column)
            cells.push_back(MakeCell(row, column));
        m_rows.push_back(std::move(cells));
        m_rowHeights.Append(height);
    }
}

void GridModel::SetColumnTotal(int columns)
{
    columns = std::max(columns, 0);
    m_headerColumns = std::min(m_headerColumns, columns);
    const int oldTotal = ColumnTotal();
    if (columns < oldTotal) {
        for (Row& cells : m_rows)
            cells.resize(size_t(columns));
        m_columnWidths.Resize(columns);
        return;
    }
    try {
        AddColumns(columns);
    } catch (...) {
        // Rows of different lengths would be read past by the next paint.
        for (Row& cells : m_rows)
            cells.resize(size_t(oldTotal));
        m_columnWidths.Resize(oldTotal);
        throw;
    }
}

void GridModel::AddColumns(int columns)
{
    // Widths first, so that every cell made below lies inside the table.
    const int width = DefaultCellOf(false, true).DefaultSize().width();
    m_columnWidths.Resize(columns, width);
    for (int row = 0; row < RowTotal(); ++row) {
        Row& cells = m_rows[size_t(row)];
        cells.reserve(size_t(columns));
        for (int column = int(cells.size()); column < columns; ++column)
            cells.push_back(MakeCell(row, column));
    }
}

void GridModel::MarkFixed(int row, int column)
{
    CGridCellBase* cell = CellAt(row, column);
    const quint32 fixedBits = CellFixed | CellFixedRow | CellFixedColumn;
    quint32 state = cell->State() & ~fixedBits;
    if (row < m_headerRows)
        state |= CellFixed | CellFixedRow;
    if (column < m_headerColumns)
        state |= CellFixed | CellFixedColumn;
    cell->SetState(state);
    cell->SetTextColour(kDefaultColour);
    cell->SetBackColour(kDefaultColour);
}

void GridModel::SetHeaderRowTotal(int rows)
{
    rows = std::clamp(rows, 0, RowTotal());
    const int first = std::min(rows, m_headerRows);
    const int last = std::max(rows, m_headerRows);
    m_headerRows = rows;
    for (int row = first; row < last; ++row) {
        for (int column = 0; column < ColumnTotal(); ++column)
            MarkFixed(row, column);
    }
}

void GridModel::SetHeaderColumnTotal(int columns)
{
    columns = std::clamp(columns, 0, ColumnTotal());
    const int first = std::min(columns, m_headerColumns);
    const int last = std::max(columns, m_headerColumns);
    m_headerColumns = columns;
    for (int row = 0; row < RowTotal(); ++row) {
        for (int column = first; column < last; ++column)
            MarkFixed(row, column);
    }
}

void GridModel::Clear()
{
    m_rows.clear();
    m_rowHeights.Resize(0);
    m_columnWidths.Resize(0);
    m_headerRows = 0;
    m_headerColumns = 0;
}

int GridModel::HeaderRowHeight() const
{
    return ClampToInt(m_rowHeights.SumOfFirst(m_headerRows));
}

int GridModel::HeaderColumnWidth() const
{
    return ClampToInt(m_columnWidths.SumOfFirst(m_headerColumns));
}

int GridModel::ScrollableHeight() const
{
    return ClampToInt(m_rowHeights.Total() - m_rowHeights.SumOfFirst(m_headerRows));
}

int GridModel::ScrollableWidth() const
{
    return ClampToInt(m_columnWidths.Total() - m_columnWidths.SumOfFirst(m_headerColumns));
}
