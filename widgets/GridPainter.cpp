#include "widgets/GridPainter.h"

#include "widgets/GridCtrl.h"

#include <QPainter>

namespace {

void FillWhereClipped(GridPaintContext& context, const QRect& area, Gdi::COLORREF colour)
{
    const QRect part = area.intersected(context.clip);
    if (!part.isEmpty())
        context.painter.fillRect(part, ColourFromRef(colour));
}

// Draws the cells of rows [firstRow, lastRow] × columns [firstColumn,
// lastColumn] starting at pixel (left, top), skipping hidden rows and columns
// and cells outside the repainted part.
void DrawBlock(GridPaintContext& context, int firstRow, int lastRow, int top, int firstColumn, int lastColumn,
               int left)
{
    const GridModel& model = context.model;
    int y = top;
    for (int row = firstRow; row <= lastRow; ++row) {
        const int height = model.RowHeight(row);
        if (height <= 0)
            continue;
        if (y + height > context.clip.top() && y <= context.clip.bottom()) {
            int x = left;
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const int width = model.ColumnWidth(column);
                if (width <= 0)
                    continue;
                const QRect rect(x, y, width, height);
                if (rect.intersects(context.clip)) {
                    model.CellAt(row, column)->Draw(context.painter, row, column, rect, false);
                    ++context.cellsDrawn;
                }
                x += width;
            }
        }
        y += height;
    }
}

} // namespace

namespace GridPainter {

void Paint(GridPaintContext& context)
{
    EraseBackground(context);
    DrawFixedCorner(context);
    DrawFixedColumnCells(context);
    DrawFixedRowCells(context);
    DrawNormalCells(context);
    DrawGridLines(context);
}

void EraseBackground(GridPaintContext& context)
{
    const GridModel& model = context.model;
    const QRect& client = context.client;
    const int fixedWidth = context.fixedWidth;
    const int fixedHeight = context.fixedHeight;
    const int right = context.visibleRight;
    const int bottom = context.visibleBottom;
    FillWhereClipped(context, QRect(0, 0, fixedWidth, fixedHeight),
                     model.DefaultCellOf(true, true).BackColour());
    FillWhereClipped(context, QRect(0, fixedHeight, fixedWidth, bottom - fixedHeight),
                     model.DefaultCellOf(false, true).BackColour());
    FillWhereClipped(context, QRect(fixedWidth - 1, 0, right - fixedWidth + 1, fixedHeight),
                     model.DefaultCellOf(true, false).BackColour());
    FillWhereClipped(context, QRect(fixedWidth, fixedHeight, right - fixedWidth, bottom - fixedHeight),
                     model.DefaultCellOf(false, false).BackColour());
    const Gdi::COLORREF gridBack = context.grid.GridBackColour();
    FillWhereClipped(context, QRect(right, 0, client.width() - right, client.height()), gridBack);
    FillWhereClipped(context, QRect(0, bottom, right, client.height() - bottom), gridBack);
}

void DrawFixedCorner(GridPaintContext& context)
{
    const GridModel& model = context.model;
    DrawBlock(context, 0, model.HeaderRowTotal() - 1, 0, 0, model.HeaderColumnTotal() - 1, 0);
}

void DrawFixedColumnCells(GridPaintContext& context)
{
    const CellRange& visible = context.visible;
    DrawBlock(context, visible.minRow, visible.maxRow, context.fixedHeight, 0,
              context.model.HeaderColumnTotal() - 1, 0);
}

void DrawFixedRowCells(GridPaintContext& context)
{
    const CellRange& visible = context.visible;
    DrawBlock(context, 0, context.model.HeaderRowTotal() - 1, 0, visible.minColumn, visible.maxColumn,
              context.fixedWidth);
}

void DrawNormalCells(GridPaintContext& context)
{
    const CellRange& visible = context.visible;
    DrawBlock(context, visible.minRow, visible.maxRow, context.fixedHeight, visible.minColumn,
              visible.maxColumn, context.fixedWidth);
}

// Lines sit on the last pixel of each non-fixed row and column; fixed cells
// draw their own edges.
void DrawGridLines(GridPaintContext& context)
{
    const GridLines mode = context.grid.GridLineMode();
    const QColor colour = ColourFromRef(context.grid.GridLineColour());
    const GridModel& model = context.model;
    const CellRange& visible = context.visible;
    if (mode == GridLinesVertical || mode == GridLinesBoth) {
        int x = context.fixedWidth;
        for (int column = visible.minColumn; column <= visible.maxColumn; ++column) {
            x += model.ColumnWidth(column);
            if (model.ColumnWidth(column) > 0)
                context.painter.fillRect(
                    QRect(x - 1, context.fixedHeight, 1, context.visibleBottom - context.fixedHeight),
                    colour);
        }
    }
    if (mode == GridLinesHorizontal || mode == GridLinesBoth) {
        int y = context.fixedHeight;
        for (int row = visible.minRow; row <= visible.maxRow; ++row) {
            y += model.RowHeight(row);
            if (model.RowHeight(row) > 0)
                context.painter.fillRect(
                    QRect(context.fixedWidth, y - 1, context.visibleRight - context.fixedWidth, 1), colour);
        }
    }
}

} // namespace GridPainter
