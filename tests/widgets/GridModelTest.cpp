#include "widgets/GridCtrl.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QSize DefaultCellSize()
{
    const QFontMetrics metrics(QApplication::font());
    return QSize(metrics.horizontalAdvance(QStringLiteral(" XXXXXXXXXXXX ")), metrics.height() * 3 / 2);
}

} // namespace

TEST(GridModel, anEmptyGridGrownTo30By8Holds240EmptyEditableCellsOfTheDefaultSize)
{
    CGridCtrl grid;
    ASSERT_TRUE(grid.SetRowTotal(30));
    ASSERT_TRUE(grid.SetColumnTotal(8));
    const QSize size = DefaultCellSize();
    int cells = 0;
    for (int row = 0; row < 30; ++row) {
        EXPECT_EQ(grid.RowHeightPixels(row), size.height());
        for (int column = 0; column < 8; ++column) {
            const CGridCellBase* cell = grid.CellAt(row, column);
            ASSERT_NE(cell, nullptr);
            EXPECT_TRUE(cell->Text().isEmpty());
            EXPECT_FALSE(cell->IsFixed());
            EXPECT_TRUE(grid.CellEditable(row, column));
            ++cells;
        }
    }
    EXPECT_EQ(cells, 240);
    for (int column = 0; column < 8; ++column)
        EXPECT_EQ(grid.ColumnWidthPixels(column), size.width());
}

TEST(GridModel, positionsOutsideTheTableChangeNothingAndReadAsEmpty)
{
    CGridCtrl grid;
    grid.SetRowTotal(30);
    grid.SetColumnTotal(8);
    EXPECT_FALSE(grid.SetCellText(30, 0, "x"));
    EXPECT_FALSE(grid.SetCellText(0, 8, "x"));
    EXPECT_FALSE(grid.SetCellText(-1, 0, "x"));
    EXPECT_EQ(grid.CellText(30, 0), QString());
    EXPECT_EQ(grid.CellText(0, -1), QString());
    EXPECT_EQ(grid.CellAt(30, 0), nullptr);
    EXPECT_FALSE(grid.SetColumnWidthPixels(8, 50));
    EXPECT_FALSE(grid.SetColumnWidthPixels(0, -1));
    EXPECT_TRUE(grid.SetColumnWidthPixels(0, 0));
    EXPECT_FALSE(grid.SetRowTotal(-1));
    EXPECT_EQ(grid.RowTotal(), 30);
}

TEST(GridModel, aWrittenTextStaysMarksTheCellAndTheGridModifiedAndSurvivesGrowing)
{
    CGridCtrl grid;
    grid.SetRowTotal(2);
    grid.SetColumnTotal(2);
    grid.MarkModified(false);
    ASSERT_TRUE(grid.SetCellText(1, 1, "220.5"));
    EXPECT_TRUE(grid.CellAt(1, 1)->IsModified());
    EXPECT_FALSE(grid.CellAt(0, 0)->IsModified());
    EXPECT_TRUE(grid.IsModified());
    grid.SetRowTotal(10);
    grid.SetColumnTotal(5);
    EXPECT_EQ(grid.CellText(1, 1), QString("220.5"));
    EXPECT_TRUE(grid.SetCellText(9, 4, "last"));
}

TEST(GridModel, shrinkingBelowTheFocusClearsItAndShrinkingBelowTheFixedRowsLowersThem)
{
    CGridCtrl grid;
    grid.SetRowTotal(10);
    grid.SetColumnTotal(4);
    grid.MoveFocusTo(8, 2);
    ASSERT_EQ(grid.FocusCell(), (CellId{8, 2}));
    grid.SetRowTotal(9);
    EXPECT_EQ(grid.FocusCell(), (CellId{8, 2}));
    grid.SetRowTotal(8);
    EXPECT_FALSE(grid.FocusCell().IsValid());

    grid.MoveFocusTo(5, 3);
    grid.SetColumnTotal(3);
    EXPECT_FALSE(grid.FocusCell().IsValid());

    grid.SetHeaderRowTotal(4);
    EXPECT_TRUE(grid.CellAt(3, 0)->IsFixedRow());
    grid.SetRowTotal(2);
    EXPECT_EQ(grid.HeaderRowTotal(), 2);
    grid.SetRowTotal(5);
    EXPECT_FALSE(grid.CellAt(3, 0)->IsFixed());
}

TEST(GridModel, clearAllEmptiesEverythingAndSetRowTotalRebuildsTheTable)
{
    CGridCtrl grid;
    grid.SetRowTotal(5);
    grid.SetColumnTotal(3);
    grid.SetCellText(1, 1, "old");
    grid.MoveFocusTo(1, 1);
    grid.ClearAll();
    EXPECT_EQ(grid.RowTotal(), 0);
    EXPECT_EQ(grid.ColumnTotal(), 0);
    EXPECT_FALSE(grid.FocusCell().IsValid());
    EXPECT_EQ(grid.CellAt(0, 0), nullptr);

    grid.SetColumnTotal(3);
    grid.SetRowTotal(5);
    EXPECT_EQ(grid.CellText(1, 1), QString());
    EXPECT_TRUE(grid.SetCellText(4, 2, "new"));
    EXPECT_EQ(grid.ColumnWidthPixels(2), DefaultCellSize().width());
}

TEST(GridModel, aCellWithDefaultColoursTakesThemFromItsRegionsDefaultCell)
{
    CGridCtrl grid;
    grid.SetRowTotal(3);
    grid.SetColumnTotal(3);
    grid.SetHeaderRowTotal(1);
    grid.DefaultCellOf(false, false).SetBackColour(Gdi::RGB(255, 255, 213));
    EXPECT_EQ(grid.CellAt(1, 1)->BackColour(), Gdi::RGB(255, 255, 213));
    EXPECT_NE(grid.CellAt(0, 1)->BackColour(), Gdi::RGB(255, 255, 213));
    grid.CellAt(2, 2)->SetBackColour(Gdi::RGB(1, 2, 3));
    EXPECT_EQ(grid.CellAt(2, 2)->BackColour(), Gdi::RGB(1, 2, 3));
    EXPECT_EQ(grid.CellAt(1, 1)->Format(),
              Gdi::DT_LEFT | Gdi::DT_VCENTER | Gdi::DT_SINGLELINE | Gdi::DT_NOPREFIX | Gdi::DT_END_ELLIPSIS);
    EXPECT_TRUE(grid.DefaultCellOf(false, false).IsReadOnly());
}

TEST(GridModel, theGridKeepsTheSystemColoursInsideADialogWithItsOwnPalette)
{
    QDialog dialog;
    QPalette teal = dialog.palette();
    teal.setColor(QPalette::Window, QColor(80, 180, 200));
    teal.setColor(QPalette::Base, QColor(80, 180, 200));
    teal.setColor(QPalette::Button, QColor(80, 180, 200));
    dialog.setPalette(teal);
    auto* grid = new CGridCtrl(&dialog);
    const QPalette system = QApplication::palette();
    EXPECT_EQ(grid->palette().color(QPalette::Base), system.color(QPalette::Base));
    EXPECT_EQ(grid->DefaultCellOf(false, false).BackColour(), RefFromColour(system.color(QPalette::Base)));
    EXPECT_EQ(grid->DefaultCellOf(true, false).BackColour(), RefFromColour(system.color(QPalette::Button)));
    EXPECT_EQ(grid->GridBackColour(), RefFromColour(system.color(QPalette::Dark)));
    EXPECT_EQ(grid->GridLineColour(), Gdi::RGB(192, 192, 192));
}

TEST(GridModel, runningOutOfMemoryWhileAddingColumnsLeavesEveryRowAtTheOldTotal)
{
    CGridCtrl grid;
    grid.SetRowTotal(3);
    grid.SetColumnTotal(2);
    int made = 0;
    grid.SetCellFactory([&made]() -> std::unique_ptr<CGridCellBase> {
        if (++made > 4)
            throw std::bad_alloc();
        return std::make_unique<CGridCell>();
    });
    // The out-of-memory message is modal; close it as soon as it shows.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_FALSE(grid.SetColumnTotal(5));
    EXPECT_EQ(grid.ColumnTotal(), 2);
    EXPECT_NE(grid.CellAt(2, 1), nullptr);
}

TEST(GridModel, aSystemPaletteChangeReachesTheGridInsideAWindow)
{
    QDialog dialog;
    auto* grid = new CGridCtrl(&dialog);
    const QPalette before = QApplication::palette();
    QPalette changed = before;
    changed.setColor(QPalette::Base, QColor(10, 20, 30));
    QApplication::setPalette(changed);
    const Gdi::COLORREF followed = grid->DefaultCellOf(false, false).BackColour();
    QApplication::setPalette(before);
    EXPECT_EQ(followed, Gdi::RGB(10, 20, 30));
    EXPECT_EQ(grid->DefaultCellOf(false, false).BackColour(), RefFromColour(before.color(QPalette::Base)));
}

TEST(GridModel, colourValuesKeepRedInTheLowByte)
{
    EXPECT_EQ(Gdi::RGB(255, 255, 213), 0x00D5FFFFu);
    EXPECT_EQ(ColourFromRef(0x00D5FFFF), QColor(255, 255, 213));
    EXPECT_EQ(RefFromColour(QColor(80, 180, 200)), Gdi::RGB(80, 180, 200));
}
