#include "GridInputFixture.h"

#include "WaitUntil.h"

using GridMouseTest = GridInputTest;

namespace {

// A move with the left button held, which QTest only sends once a press is recorded.
void DragTo(QWidget* viewport, const QPoint& point)
{
    QTest::mouseMove(viewport, point);
}

} // namespace

TEST_F(GridMouseTest, aClickBeyondTheLastRowOrColumnSelectsNothingAndMovesNoFocus)
{
    Click(2, 2);
    const QRect lastCell = grid.CellRect(5, 3);
    ASSERT_LT(lastCell.bottom() + 20, grid.viewport()->height());
    ASSERT_LT(lastCell.right() + 20, grid.viewport()->width());
    notices.clear();

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      QPoint(lastCell.center().x(), lastCell.bottom() + 10));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      QPoint(lastCell.right() + 10, lastCell.center().y()));
    EXPECT_EQ(grid.FocusCell(), (CellId{2, 2}));
    EXPECT_EQ(Selected(), (std::vector<CellId>{{2, 2}}));
    EXPECT_TRUE(notices.empty());
}

TEST_F(GridMouseTest, aDragSelectsTheRectangleBetweenPressAndPointerAndMovesTheFocusWithIt)
{
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, CellCentre(3, 2));
    DragTo(grid.viewport(), CellCentre(2, 2));
    DragTo(grid.viewport(), CellCentre(1, 1));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, CellCentre(1, 1));
    EXPECT_EQ(Selected(), (std::vector<CellId>{{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}));
    EXPECT_EQ(grid.FocusCell(), (CellId{1, 1}));
}

TEST_F(GridMouseTest, aClickTellsTheOwnerAboutTheSelectionTheClickAndTheCommand)
{
    Click(2, 1);
    EXPECT_EQ(notices, (std::vector<Notice>{{GridNotification::SelectionChanging, {2, 1}},
                                            {GridNotification::SelectionChanged, {2, 1}},
                                            {GridNotification::Click, {2, 1}},
                                            {GridNotification::Command, {2, 1}}}));
}

TEST_F(GridMouseTest, aSecondClickOnTheFocusCellStartsAnEditWhenTheButtonComesUp)
{
    Click(2, 2);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, CellCentre(2, 2));
    EXPECT_EQ(Editor(2, 2), nullptr);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, CellCentre(2, 2));
    ASSERT_NE(Editor(2, 2), nullptr);
    EXPECT_FALSE(Editor(2, 2)->hasSelectedText());
}

TEST_F(GridMouseTest, ctrlClickTakesASelectedCellOutAndAddsAnUnselectedOne)
{
    Click(1, 1);
    Click(2, 2, Qt::ShiftModifier);
    ASSERT_EQ(Selected().size(), 4u);

    Click(1, 2, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<CellId>{{1, 1}, {2, 1}, {2, 2}}));
    EXPECT_FALSE(grid.CellAt(1, 2)->IsSelected());
    EXPECT_EQ(grid.FocusCell(), (CellId{1, 2}));

    Click(4, 3, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<CellId>{{1, 1}, {2, 1}, {2, 2}, {4, 3}}));
}

TEST_F(GridMouseTest, aClickInAHeaderRowSelectsTheColumnAndOneInTheCornerSelectsAll)
{
    grid.SetHeaderRowTotal(1);
    grid.SetHeaderColumnTotal(1);
    Click(3, 3);
    Click(0, 2);
    EXPECT_EQ(Selected(), (std::vector<CellId>{{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}}));
    EXPECT_FALSE(grid.FocusCell().IsValid());

    Click(0, 0);
    EXPECT_EQ(Selected().size(), 15u);
}

TEST_F(GridMouseTest, aRightClickMovesTheFocusAndTellsTheOwnerTheCellOrNoCell)
{
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, CellCentre(3, 1));
    EXPECT_EQ(grid.FocusCell(), (CellId{3, 1}));
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, QPoint(grid.viewport()->width() - 5, 5));
    EXPECT_EQ(notices, (std::vector<Notice>{{GridNotification::RightClick, {3, 1}},
                                            {GridNotification::RightClick, {-1, -1}}}));
}

TEST_F(GridMouseTest, withoutHeaderRowsNoDividerOffersTheResizeCursor)
{
    const QRect cell = grid.CellRect(0, 1);
    QTest::mouseMove(grid.viewport(), QPoint(cell.right(), cell.center().y()));
    EXPECT_EQ(grid.viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(GridMouseTest, draggingAColumnDividerInTheHeaderRowResizesTheColumn)
{
    grid.SetHeaderRowTotal(1);
    const int before = grid.ColumnWidthPixels(1);
    const QRect header = grid.CellRect(0, 1);
    const QPoint divider(header.left() + before - 1, header.center().y());

    QTest::mouseMove(grid.viewport(), divider);
    EXPECT_EQ(grid.viewport()->cursor().shape(), Qt::SizeHorCursor);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, divider);
    DragTo(grid.viewport(), divider + QPoint(30, 0));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, divider + QPoint(30, 0));
    EXPECT_EQ(grid.ColumnWidthPixels(1), before + 29);
    EXPECT_TRUE(Selected().empty());
}

TEST_F(GridMouseTest, doubleClickingAColumnDividerFitsTheColumnToItsWidestText)
{
    grid.SetHeaderRowTotal(1);
    grid.SetCellText(3, 1, "a much wider text than the others");
    const QRect header = grid.CellRect(0, 1);
    const QPoint divider(header.left() + grid.ColumnWidthPixels(1) - 1, header.center().y());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, divider);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, divider);
    EXPECT_EQ(grid.ColumnWidthPixels(1), grid.CellAt(3, 1)->CellExtent().width());
}

TEST_F(GridMouseTest, holdingTheButtonBelowTheCellsScrollsDownAndSelectsUpToTheBottomEdge)
{
    grid.SetRowTotal(200);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, CellCentre(1, 1));
    DragTo(grid.viewport(), QPoint(CellCentre(1, 1).x(), grid.viewport()->height() + 20));
    ASSERT_TRUE(WaitUntil([&] { return grid.TopLeftNonFixedCell().row >= 3; }));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {},
                        QPoint(CellCentre(1, 1).x(), grid.viewport()->height() + 20));

    const CellRange selected = grid.Selection().SelectedRange();
    EXPECT_EQ(selected.minRow, 1);
    EXPECT_GT(selected.maxRow, 3);
    EXPECT_EQ(selected.minColumn, 1);
    EXPECT_EQ(selected.maxColumn, 1);
}
