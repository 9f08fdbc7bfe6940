#include "widgets/GridCtrl.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

constexpr Gdi::COLORREF kPaleYellow = Gdi::RGB(255, 255, 213);
constexpr int kColumnWidth = 60;

// A page-like grid: pale yellow cells, fixed column widths, no headers.
struct PageGrid
{
    explicit PageGrid(int rows, int columns, QSize size = QSize(400, 300))
    {
        grid.resize(size);
        grid.SetRowTotal(rows);
        grid.SetColumnTotal(columns);
        grid.DefaultCellOf(false, false).SetBackColour(kPaleYellow);
        for (int column = 0; column < columns; ++column)
            grid.SetColumnWidthPixels(column, kColumnWidth);
        grid.show();
    }

    QImage Grab() { return grid.viewport()->grab().toImage(); }
    void Wheel(int delta)
    {
        QWheelEvent turn(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &turn);
    }
    QColor Pixel(const QImage& image, QPoint point) { return image.pixelColor(point); }

    CGridCtrl grid;
};

} // namespace

TEST(GridPaint, cellsArePaleYellowWithGreyLinesOnTheirLastPixelAndTheRestInTheGridBackground)
{
    PageGrid page(3, 2);
    const QImage image = page.Grab();
    const QRect cell = page.grid.CellRect(1, 1);
    ASSERT_EQ(cell.width(), kColumnWidth);
    EXPECT_EQ(image.pixelColor(cell.center()), ColourFromRef(kPaleYellow));
    EXPECT_EQ(image.pixelColor(cell.topLeft() + QPoint(1, 1)), ColourFromRef(kPaleYellow));
    EXPECT_EQ(image.pixelColor(QPoint(cell.right(), cell.center().y())), QColor(192, 192, 192));
    EXPECT_EQ(image.pixelColor(QPoint(cell.center().x(), cell.bottom())), QColor(192, 192, 192));

    const QColor background = ColourFromRef(page.grid.GridBackColour());
    EXPECT_EQ(image.pixelColor(QPoint(2 * kColumnWidth + 5, 5)), background);
    EXPECT_EQ(image.pixelColor(QPoint(5, cell.bottom() + page.grid.RowHeightPixels(2) + 5)), background);
    EXPECT_EQ(image.pixelColor(QPoint(image.width() - 1, image.height() - 1)), background);
}

TEST(GridPaint, aTextWiderThanItsColumnIsCutWithAnEllipsisAndStaysInsideItsCell)
{
    const QString longText = QStringLiteral("123456789012345678901234567890");
    PageGrid cut(1, 2);
    cut.grid.SetCellText(0, 0, longText);
    const QImage image = cut.Grab();

    const CGridCellBase& cell = *cut.grid.CellAt(0, 0);
    const int textWidth = kColumnWidth - 1 - 2 * cell.Margin();
    const QString elided = QFontMetrics(cell.Font()).elidedText(longText, Qt::ElideRight, textWidth);
    ASSERT_TRUE(elided.endsWith(QChar(0x2026)));
    PageGrid expected(1, 2);
    expected.grid.SetCellText(0, 0, elided);
    const QRect rect = cut.grid.CellRect(0, 0);
    EXPECT_EQ(image.copy(rect), expected.Grab().copy(rect));

    const QRect next = cut.grid.CellRect(0, 1).adjusted(0, 0, -1, -1);
    for (int x = next.left(); x <= next.right(); ++x)
        ASSERT_EQ(image.pixelColor(x, next.center().y()), ColourFromRef(kPaleYellow)) << "x " << x;
}

TEST(GridPaint, theFocusCellIsFramedInItsTextColourAndASelectedCellFilledWithTheHighlight)
{
    PageGrid page(4, 3);
    page.grid.MoveFocusTo(1, 1);
    page.grid.Selection().SetSelectedRange(CellRange{2, 2, 2, 2});
    const QImage image = page.Grab();
    const QRect focus = page.grid.CellRect(1, 1);
    const QColor text = ColourFromRef(page.grid.DefaultCellOf(false, false).TextColour());
    EXPECT_EQ(image.pixelColor(focus.topLeft()), text);
    EXPECT_EQ(image.pixelColor(focus.right() - 1, focus.center().y()), text);
    EXPECT_EQ(image.pixelColor(focus.center()), ColourFromRef(kPaleYellow));
    const QRect selected = page.grid.CellRect(2, 2);
    EXPECT_EQ(image.pixelColor(selected.center()), page.grid.palette().color(QPalette::Highlight));
}

TEST(GridPaint, aPaintVisitsOnlyTheVisibleCellsHoweverManyRowsTheGridHas)
{
    PageGrid page(100000, 8);
    page.Grab();
    const CellRange visible = page.grid.VisibleNonFixedCellRange();
    const long long shown =
        (visible.maxRow - visible.minRow + 1) * (visible.maxColumn - visible.minColumn + 1);
    EXPECT_LT(shown, 200);
    EXPECT_EQ(page.grid.CellsDrawn(), shown);

    QScrollBar* bar = page.grid.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const long long before = page.grid.CellsDrawn();
    page.Grab();
    EXPECT_GT(page.grid.TopLeftNonFixedCell().row, 40000);
    EXPECT_LE(page.grid.CellsDrawn() - before, shown + 8);
}

TEST(GridGeometry, aPointBeyondTheLastRowOrColumnHitsNoCell)
{
    PageGrid page(3, 2);
    const QRect last = page.grid.CellRect(2, 1);
    EXPECT_EQ(page.grid.CellFromPoint(last.center()), (CellId{2, 1}));
    EXPECT_EQ(page.grid.CellFromPoint(last.bottomRight()), (CellId{2, 1}));
    EXPECT_EQ(page.grid.CellFromPoint(last.bottomRight() + QPoint(1, 0)).column, -1);
    EXPECT_EQ(page.grid.CellFromPoint(last.bottomRight() + QPoint(0, 1)).row, -1);
    EXPECT_FALSE(page.grid.CellFromPoint(QPoint(-1, 5)).IsValid());
}

TEST(GridGeometry, oneWheelNotchScrollsTheConfiguredNumberOfRowsAndTheViewStartsWithAWholeRow)
{
    PageGrid page(100, 2);
    const int lines = page.grid.WheelScrollLines();
    ASSERT_GT(lines, 0);
    page.Wheel(-120);
    EXPECT_EQ(page.grid.TopLeftNonFixedCell().row, lines);
    EXPECT_EQ(page.grid.CellRect(lines, 0).top(), 0);
    EXPECT_TRUE(page.grid.CellRect(0, 0).isEmpty());
}

TEST(GridGeometry, smallWheelDeltasOfATouchpadAddUpToWholeLines)
{
    PageGrid page(100, 2);
    for (int turn = 0; turn < 8; ++turn)
        page.Wheel(-15);
    EXPECT_EQ(page.grid.TopLeftNonFixedCell().row, page.grid.WheelScrollLines());
}

TEST(GridGeometry, aRowHeightWhoseTotalNoIntHoldsIsRefusedAndTheGridStillScrolls)
{
    PageGrid page(3, 2);
    const int defaultHeight = page.grid.RowHeightPixels(2);
    EXPECT_TRUE(page.grid.SetRowHeightPixels(0, 1000000000));
    EXPECT_TRUE(page.grid.SetRowHeightPixels(1, 1000000000));
    EXPECT_FALSE(page.grid.SetRowHeightPixels(2, 1000000000));
    EXPECT_EQ(page.grid.RowHeightPixels(2), defaultHeight);
    EXPECT_TRUE(page.grid.verticalScrollBar()->isEnabled());
}

TEST(GridGeometry, scrollingACellIntoViewBringsItWhollyInside)
{
    PageGrid page(200, 20);
    page.grid.ScrollCellIntoView(150, 15);
    EXPECT_TRUE(page.grid.CellFullyVisible(150, 15));
    page.grid.ScrollCellIntoView(3, 1);
    EXPECT_TRUE(page.grid.CellFullyVisible(3, 1));
}

TEST(GridGeometry, theVerticalBarIsDisabledWhileTheRowsFitAndTheHorizontalOneHiddenWhileTheColumnsFit)
{
    PageGrid fits(3, 2);
    EXPECT_FALSE(fits.grid.verticalScrollBar()->isEnabled());
    EXPECT_EQ(fits.grid.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    PageGrid tooBig(100, 20);
    EXPECT_TRUE(tooBig.grid.verticalScrollBar()->isEnabled());
    EXPECT_EQ(tooBig.grid.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(tooBig.grid.verticalScrollBar()->maximum(),
              100 * tooBig.grid.RowHeightPixels(0) - tooBig.grid.viewport()->height());
}
