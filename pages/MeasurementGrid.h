#pragma once

#include "meter/MeasurementTable.h"
#include "widgets/GridColour.h"

#include <initializer_list>
#include <span>

class CGridCtrl;

extern const Gdi::COLORREF kNormalCellColour;

// Sets up the two-half table of the live-value pages: 30 rows, 8 columns, the
// headings "NO", "Item", "Data", "Unit" twice and the item numbers 1 to
// 2 × rowsPerHalf down columns 0 and 4. Columns not listed keep the default width.
struct ColumnWidth
{
    int column;
    int pixels;
};
void SetUpTwoHalfTable(CGridCtrl& grid, int rowsPerHalf, std::initializer_list<ColumnWidth> widths);

void WriteItemLabels(CGridCtrl& grid, std::span<const MeasurementItem> items);
void WriteItemValues(CGridCtrl& grid, std::span<const MeasurementItem> items);
