#include "pages/MeasurementTable.h"

#include "comm/ModbusRtu.h"
#include "pages/PrintfText.h"
#include "pages/RegisterValues.h"
#include "widgets/GridCtrl.h"

#include <string_view>

namespace {
double RawValue(const MeasurementItem& item)
{
    switch (item.kind) {
    case MeasurementItem::U16:
        return Registers::U16(item.entry);
    case MeasurementItem::S16:
        return Registers::S16(item.entry);
    case MeasurementItem::S32:
        return Registers::S32(item.entry);
    case MeasurementItem::U32:
        return Registers::U32(item.entry);
    }
    return 0;
}

// PT before CT, one multiplication at a time: the grouping shows in the last digits of very large powers.
double ApplyRatios(double value, MeasurementItem::Ratio ratio)
{
    if (ratio == MeasurementItem::Pt || ratio == MeasurementItem::PtCt)
        value *= PtRatio;
    if (ratio == MeasurementItem::Ct || ratio == MeasurementItem::PtCt)
        value *= CtRatio;
    return value;
}

double ScaledValue(const MeasurementItem& item)
{
    const double raw = RawValue(item);
    if (item.divideFirst)
        return ApplyRatios(raw / item.divisor, item.ratio);
    return ApplyRatios(raw, item.ratio) / item.divisor;
}
} // namespace

QString FormatMeasurement(const MeasurementItem& item)
{
    if (std::string_view(item.format) == "%d")
        return QString::asprintf("%d", static_cast<int>(RawValue(item)));
    return PrintfText(item.format, ScaledValue(item));
}

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
