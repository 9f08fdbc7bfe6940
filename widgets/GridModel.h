#pragma once

#include "widgets/GridCell.h"
#include "widgets/GridSizes.h"

#include <functional>
#include <memory>
#include <vector>

class CGridCtrl;

// The grid's table: counts, sizes, the cells and the four default cells.
// It knows nothing of the window; the grid asks it and repaints.
class GridModel
{
public:
    using CellFactory = std::function<std::unique_ptr<CGridCellBase>()>;

    explicit GridModel(CGridCtrl* grid);
    GridModel(const GridModel&) = delete;
    GridModel& operator=(const GridModel&) = delete;

    int RowTotal() const { return m_rowHeights.Count(); }
    int ColumnTotal() const { return m_columnWidths.Count(); }
    int HeaderRowTotal() const { return m_headerRows; }
    int HeaderColumnTotal() const { return m_headerColumns; }

    // Both may throw std::bad_alloc and leave a consistent table: the rows
    // already added stay, each whole; the columns go back to the old total.
    void SetRowTotal(int rows);
    void SetColumnTotal(int columns);
    // Marks or unmarks the cells of the affected rows/columns as fixed and
    // gives them back their default colours.
    void SetHeaderRowTotal(int rows);
    void SetHeaderColumnTotal(int columns);
    // Deletes every cell and empties both size lists.
    void Clear();

    bool IsValid(int row, int column) const
    {
        return row >= 0 && row < RowTotal() && column >= 0 && column < ColumnTotal();
    }
    CGridCellBase* CellAt(int row, int column) const;

    int RowHeight(int row) const { return m_rowHeights.At(row); }
    int ColumnWidth(int column) const { return m_columnWidths.At(column); }
    // The grid measures in int pixels: a size that would take the total of its
    // rows (columns) past what an int holds is refused (false).
    bool SetRowHeight(int row, int height) { return m_rowHeights.Set(row, height); }
    bool SetColumnWidth(int column, int width) { return m_columnWidths.Set(column, width); }
    int HeaderRowHeight() const;
    int HeaderColumnWidth() const;
    // Sums of the non-fixed rows and columns: the scrolled extent.
    int ScrollableHeight() const;
    int ScrollableWidth() const;

    CGridDefaultCell& DefaultCellOf(bool fixedRow, bool fixedColumn);
    const CGridDefaultCell& DefaultCellOf(bool fixedRow, bool fixedColumn) const;
    // The kind of cell made for new rows and columns; plain CGridCell unless set.
    void SetCellFactory(CellFactory factory) { m_factory = std::move(factory); }

private:
    using Row = std::vector<std::unique_ptr<CGridCellBase>>;

    void AddColumns(int columns);
    std::unique_ptr<CGridCellBase> MakeCell(int row, int column) const;
    void MarkFixed(int row, int column);

    CGridCtrl* m_grid;
    std::vector<Row> m_rows;
    GridSizes m_rowHeights;
    GridSizes m_columnWidths;
    int m_headerRows = 0;
    int m_headerColumns = 0;
    CGridDefaultCell m_defaults[4];
    CellFactory m_factory;
};
