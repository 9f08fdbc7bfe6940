#include "pages/MeasurementGrid.h"

#include "widgets/GridCtrl.h"

const Gdi::COLORREF kNormalCellColour = Gdi::RGB(255, 255, 213);

void SetUpTwoHalfTable(CGridCtrl& grid, int rowsPerHalf, std::initializer_list<ColumnWidth> widths)
{
    grid.SetRowTotal(30);
    grid.SetColumnTotal(8);
    grid.DefaultCellOf(false, false).SetBackColour(kNormalCellColour);
    for (const ColumnWidth& width : widths)
        grid.SetColumnWidthPixels(width.column, width.pixels);
    const char* const headings[] = {"NO", "Item", "Data", "Unit"};
    for (int column = 0; column < 4; ++column) {
        grid.SetCellText(0, column, QString::fromLatin1(headings[column]));
        grid.SetCellText(0, column + 4, QString::fromLatin1(headings[column]));
    }
    for (int row = 1; row <= rowsPerHalf; ++row) {
        grid.SetCellText(row, 0, QString::asprintf("%d", row));
        grid.SetCellText(row, 4, QString::asprintf("%d", row + rowsPerHalf));
    }
}

void WriteItemLabels(CGridCtrl& grid, std::span<const MeasurementItem> items)
{
    for (const MeasurementItem& item : items) {
        grid.SetCellText(item.row, item.column - 1, QString::fromLatin1(item.name));
        if (item.unit)
            grid.SetCellText(item.row, item.column + 1, QString::fromLatin1(item.unit));
    }
}

void WriteItemValues(CGridCtrl& grid, std::span<const MeasurementItem> items)
{
    for (const MeasurementItem& item : items)
        grid.SetCellText(item.row, item.column, FormatMeasurement(item));
}
