#include "GridInputFixture.h"
#include "widgets/GridClipboard.h"

#include <QClipboard>
#include <gtest/gtest.h>

TEST(ClipboardText, rowsAreJoinedWithTabsAndLineFeedsWithNothingAfterTheLastRow)
{
    EXPECT_EQ(JoinClipboardRows({{"a", "b"}, {"c", "d"}}), QString("a\tb\nc\td"));
    EXPECT_EQ(JoinClipboardRows({{"", "x", ""}}), QString("\tx\t"));
}

TEST(ClipboardText, textCopiedOnWindowsSplitsIntoTheSameFieldsAsPlainLineFeeds)
{
    const QList<QStringList> expected{{"1", "2"}, {"3", "4"}};
    EXPECT_EQ(SplitClipboardText("1\t2\r\n3\t4\r\n"), expected);
    EXPECT_EQ(SplitClipboardText("1\t2\n3\t4"), expected);
}

TEST(ClipboardText, fieldsSplitAtCommasAsWellAsTabsAndEmptyFieldsKeepTheirPlace)
{
    const QList<QStringList> expected{{"1", "", "3"}, {"", "5"}};
    EXPECT_EQ(SplitClipboardText("1,,3\n\t5"), expected);
}

TEST(ClipboardText, emptyTextHoldsNoRowsButAnEmptyLineInsideTheTextIsKept)
{
    EXPECT_TRUE(SplitClipboardText("").isEmpty());
    const QList<QStringList> expected{{"a"}, {""}, {"b"}};
    EXPECT_EQ(SplitClipboardText("a\n\nb"), expected);
}

TEST(ClipboardText, aCopiedBlockPastesBackInTheSameShape)
{
    const QList<QStringList> block{{"1.000", "", "220.5"}, {"", "", ""}, {"x", "y", "z"}};
    EXPECT_EQ(SplitClipboardText(JoinClipboardRows(block)), block);
}

using GridClipboardTest = GridInputTest;

TEST_F(GridClipboardTest, ctrlCPutsTheSelectedBlockOnTheClipboardAsTabSeparatedRows)
{
    Click(1, 1);
    Click(2, 2, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "r1c1\tr1c2\nr2c1\tr2c2");
}

TEST_F(GridClipboardTest, copyLeavesHiddenColumnsOutAndUnselectedCellsOfTheBlockEmpty)
{
    grid.SetColumnWidthPixels(2, 0);
    Click(1, 1);
    Click(2, 3, Qt::ShiftModifier);
    Click(1, 3, Qt::ControlModifier);
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "r1c1\t\nr2c1\tr2c3");
}

TEST_F(GridClipboardTest, pasteFillsTheBlockBelowAndRightOfTheTargetAndSkipsWhatLiesOutside)
{
    QApplication::clipboard()->setText("x\ty\r\nz\tw\r\n");
    Click(1, 1);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid.CellText(1, 1), "x");
    EXPECT_EQ(grid.CellText(1, 2), "y");
    EXPECT_EQ(grid.CellText(2, 1), "z");
    EXPECT_EQ(grid.CellText(2, 2), "w");
    EXPECT_TRUE(grid.CellAt(2, 2)->IsModified());
    EXPECT_EQ(grid.CellText(3, 1), "r3c1");

    Click(5, 3);
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(grid.CellText(5, 3), "x");
    EXPECT_EQ(grid.CellText(5, 2), "r5c2");
}

TEST_F(GridClipboardTest, cutCopiesTheBlockButClearsOnlyTheEditableCells)
{
    grid.CellAt(1, 2)->SetState(grid.CellAt(1, 2)->State() | CellReadOnly);
    Click(1, 1);
    Click(1, 2, Qt::ShiftModifier);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "r1c1\tr1c2");
    EXPECT_EQ(grid.CellText(1, 1), "");
    EXPECT_EQ(grid.CellText(1, 2), "r1c2");
}

TEST_F(GridClipboardTest, deleteAsksTheOwnerForEachCellAndKeepsTheTextsItRefuses)
{
    Click(1, 1);
    Click(2, 2, Qt::ShiftModifier);
    vetoBegin = CellId{2, 2};
    rejectEnd = CellId{2, 1};
    notices.clear();
    Key(Qt::Key_Delete);
    EXPECT_EQ(grid.CellText(1, 1), "");
    EXPECT_EQ(grid.CellText(1, 2), "");
    EXPECT_EQ(grid.CellText(2, 1), "r2c1");
    EXPECT_EQ(grid.CellText(2, 2), "r2c2");
    EXPECT_FALSE(grid.CellAt(2, 1)->IsModified());
    EXPECT_EQ(Count(GridNotification::BeginEdit), 4);
    EXPECT_EQ(Count(GridNotification::EndEdit), 3);
}

TEST_F(GridClipboardTest, aGridThatMayNotBeEditedCopiesButNeitherCutsNorPastes)
{
    grid.SetEditable(false);
    QApplication::clipboard()->setText("pasted");
    Click(1, 1);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "pasted");
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    EXPECT_EQ(grid.CellText(1, 1), "r1c1");
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "r1c1");
}
