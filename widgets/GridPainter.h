#pragma once

#include "widgets/GridTypes.h"

#include <QRect>

class CGridCtrl;
class GridModel;
class QPainter;

// What every region's draw function needs, worked out once per paint.
struct GridPaintContext
{
    QPainter& painter;
    const CGridCtrl& grid;
    const GridModel& model;
    QRect clip;        // the part of the viewport being repainted
    QRect client;      // the whole viewport
    CellRange visible; // non-fixed cells shown; maxRow < minRow when there are none
    int fixedWidth = 0;
    int fixedHeight = 0;
    int visibleRight = 0;  // one past the last pixel of the visible columns
    int visibleBottom = 0; // one past the last pixel of the visible rows
    long long cellsDrawn = 0;
};

// Paints the grid region by region, in the order the eye expects no flicker:
// backgrounds, fixed corner, fixed columns, fixed rows, normal cells, lines.
namespace GridPainter {

void Paint(GridPaintContext& context);
void EraseBackground(GridPaintContext& context);
void DrawFixedCorner(GridPaintContext& context);
void DrawFixedColumnCells(GridPaintContext& context);
void DrawFixedRowCells(GridPaintContext& context);
void DrawNormalCells(GridPaintContext& context);
void DrawGridLines(GridPaintContext& context);

} // namespace GridPainter
