#include "GridInputFixture.h"

#include <QInputMethodEvent>

using GridTypingTest = GridInputTest;

TEST_F(GridTypingTest, typingACharacterOnTheFocusCellStartsAnEditThatBeginsWithIt)
{
    grid.SetCellText(1, 1, "1.23");
    grid.MoveFocusTo(1, 1);
    Key(Qt::Key_5);
    ASSERT_NE(Editor(1, 1), nullptr);
    EXPECT_EQ(Editor(1, 1)->text(), "5");
    Type(Qt::Key_Return);
    EXPECT_EQ(grid.CellText(1, 1), "5");
}

TEST_F(GridTypingTest, ctrlCharactersAndEscapeStartNoEdit)
{
    grid.MoveFocusTo(1, 1);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(Editor(1, 1), nullptr);
}

TEST_F(GridTypingTest, anEditStartedByTypingEndsOnDownAndGoesOnInTheCellBelowWithItsTextSelected)
{
    grid.MoveFocusTo(1, 1);
    Key(Qt::Key_7);
    Type(Qt::Key_Down);
    EXPECT_EQ(grid.CellText(1, 1), "7");
    EXPECT_EQ(grid.FocusCell(), (CellId{2, 1}));
    ASSERT_NE(Editor(2, 1), nullptr);
    EXPECT_EQ(Editor(2, 1)->selectedText(), "r2c1");
}

TEST_F(GridTypingTest, anEditStartedByDoubleClickKeepsTheArrowsInsideTheEditor)
{
    const QPoint inCell = CellCentre(1, 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, inCell);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, inCell);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, inCell);
    ASSERT_NE(Editor(1, 1), nullptr);
    Type(Qt::Key_Down);
    Type(Qt::Key_Left);
    EXPECT_NE(Editor(1, 1), nullptr);
    EXPECT_EQ(grid.FocusCell(), (CellId{1, 1}));
}

TEST_F(GridTypingTest, aWordFromAnInputMethodStartsAnEditHoldingTheWholeWord)
{
    grid.MoveFocusTo(1, 1);
    QInputMethodEvent commit;
    commit.setCommitString("电压");
    QApplication::sendEvent(&grid, &commit);
    ASSERT_NE(Editor(1, 1), nullptr);
    EXPECT_EQ(Editor(1, 1)->text(), "电压");
}
