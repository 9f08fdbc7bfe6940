#include "GridInputFixture.h"

using GridKeyboardTest = GridInputTest;

TEST_F(GridKeyboardTest, arrowsSkipHiddenRowsAndColumnsAndStopAtTheEdges)
{
    grid.SetColumnWidthPixels(1, 0);
    grid.SetRowHeightPixels(2, 0);
    grid.MoveFocusTo(1, 0);

    Key(Qt::Key_Right);
    EXPECT_EQ(grid.FocusCell(), (CellId{1, 2}));
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(grid.FocusCell(), (CellId{1, 3}));
    Key(Qt::Key_Down);
    EXPECT_EQ(grid.FocusCell(), (CellId{3, 3}));
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(grid.FocusCell(), (CellId{0, 3}));
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(grid.FocusCell(), (CellId{0, 0}));
}

TEST_F(GridKeyboardTest, arrowsDoNotEnterTheHeaderRowsAndColumns)
{
    grid.SetHeaderRowTotal(1);
    grid.SetHeaderColumnTotal(1);
    grid.MoveFocusTo(1, 1);
    Key(Qt::Key_Up);
    Key(Qt::Key_Left);
    EXPECT_EQ(grid.FocusCell(), (CellId{1, 1}));
}

TEST_F(GridKeyboardTest, tabWrapsToTheNextRowAndShiftTabBackToThePrevious)
{
    grid.SetColumnWidthPixels(0, 0);
    grid.MoveFocusTo(1, 3);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid.FocusCell(), (CellId{2, 1}));
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(grid.FocusCell(), (CellId{1, 3}));
    EXPECT_EQ(Selected(), (std::vector<CellId>{{1, 3}}));
}

TEST_F(GridKeyboardTest, tabOnTheLastCellHasNowhereToGoAndLeavesTheFocusCellAlone)
{
    grid.MoveFocusTo(5, 3);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid.FocusCell(), (CellId{5, 3}));
}

TEST_F(GridKeyboardTest, ctrlEndGoesToTheLastShownCellAndCtrlHomeToTheFirst)
{
    grid.SetRowHeightPixels(5, 0);
    grid.MoveFocusTo(2, 1);
    Key(Qt::Key_End);
    EXPECT_EQ(grid.FocusCell(), (CellId{2, 3}));
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.FocusCell(), (CellId{4, 3}));
    Key(Qt::Key_Home);
    EXPECT_EQ(grid.FocusCell(), (CellId{4, 0}));
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.FocusCell(), (CellId{0, 0}));
}

TEST_F(GridKeyboardTest, shiftArrowsExtendTheSelectionFromItsStartAndAPlainArrowStartsAgain)
{
    grid.MoveFocusTo(1, 0);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid.FocusCell(), (CellId{2, 2}));
    EXPECT_EQ(Selected(), (std::vector<CellId>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}));
    EXPECT_TRUE(grid.CellAt(1, 1)->IsSelected());

    Key(Qt::Key_Down);
    EXPECT_EQ(Selected(), (std::vector<CellId>{{3, 2}}));
    EXPECT_FALSE(grid.CellAt(1, 1)->IsSelected());
}

TEST_F(GridKeyboardTest, aMoveTellsTheOwnerThatTheSelectionIsChangingAndThenThatItChanged)
{
    grid.MoveFocusTo(1, 1);
    Key(Qt::Key_Down);
    EXPECT_EQ(notices, (std::vector<Notice>{{GridNotification::SelectionChanging, {2, 1}},
                                            {GridNotification::SelectionChanged, {2, 1}}}));
}

TEST_F(GridKeyboardTest, pageDownOnAGridThatCannotScrollGoesToTheLastRowAndPageUpToTheFirst)
{
    grid.MoveFocusTo(2, 2);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(grid.FocusCell(), (CellId{5, 2}));
    Key(Qt::Key_PageUp);
    EXPECT_EQ(grid.FocusCell(), (CellId{0, 2}));
}

TEST_F(GridKeyboardTest, pageDownOnATallGridMovesTheFocusByTheRowsTheViewMoved)
{
    grid.SetRowTotal(200);
    grid.MoveFocusTo(3, 0);
    Key(Qt::Key_PageDown);
    const int moved = grid.TopLeftNonFixedCell().row;
    ASSERT_GT(moved, 0);
    EXPECT_EQ(grid.FocusCell(), (CellId{3 + moved, 0}));
}

TEST_F(GridKeyboardTest, aKeyMoveToACellOutOfViewScrollsItIntoView)
{
    grid.SetRowTotal(200);
    grid.MoveFocusTo(0, 0);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.FocusCell(), (CellId{199, 3}));
    EXPECT_TRUE(grid.CellFullyVisible(199, 3));
}

TEST_F(GridKeyboardTest, ctrlASelectsEveryCellAndWithoutAFocusCellKeysDoNothing)
{
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(Selected().empty());
    Key(Qt::Key_Down);
    EXPECT_FALSE(grid.FocusCell().IsValid());

    grid.MoveFocusTo(0, 0);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Selected().size(), 24u);
}
