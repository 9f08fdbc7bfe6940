#include "widgets/GridCtrl.h"
#include "widgets/GridInPlaceEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

// A grid with one written cell and an owner that records what it is told.
struct EditedGrid
{
    EditedGrid()
    {
        grid.resize(400, 300);
        grid.SetRowTotal(5);
        grid.SetColumnTotal(3);
        grid.SetCellText(1, 1, "1.23");
        grid.MarkModified(false);
        grid.SetNotifyHandler([this](GridNotification code, int row, int column) {
            notifications.push_back({code, CellId{row, column}});
            if (code == GridNotification::BeginEdit)
                return beginReply;
            if (code == GridNotification::EndEdit)
                return endReply;
            return 0;
        });
        grid.show();
    }

    CGridInPlaceEdit* Editor(int row = 1, int column = 1) const
    {
        return grid.CellAt(row, column)->EditorWindow();
    }

    void Press(QWidget* target, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    int Count(GridNotification code) const
    {
        return int(std::count_if(notifications.begin(), notifications.end(),
                                 [code](const auto& entry) { return entry.first == code; }));
    }

    CGridCtrl grid;
    std::vector<std::pair<GridNotification, CellId>> notifications;
    int beginReply = 0;
    int endReply = 0;
};

} // namespace

TEST(GridEdit, typingFiveOnACellOpensTheEditorWithFiveAndReturnCommitsItAsAModifiedText)
{
    EditedGrid edited;
    edited.grid.BeginCellEdit(1, 1, QPoint(), '5');
    CGridInPlaceEdit* editor = edited.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QString("5"));
    EXPECT_TRUE(edited.grid.CellAt(1, 1)->IsEditing());

    edited.Press(editor, Qt::Key_Return);
    EXPECT_EQ(edited.grid.CellText(1, 1), QString("5"));
    EXPECT_TRUE(edited.grid.CellAt(1, 1)->IsModified());
    EXPECT_FALSE(edited.grid.CellAt(1, 1)->IsEditing());
    EXPECT_EQ(edited.Editor(), nullptr);
    EXPECT_EQ(edited.Count(GridNotification::BeginEdit), 1);
    ASSERT_EQ(edited.Count(GridNotification::EndEdit), 1);
    EXPECT_EQ(edited.notifications.back().second, (CellId{1, 1}));
}

TEST(GridEdit, escapeAfterTypingPutsTheOldTextBackAndReportsNoChange)
{
    EditedGrid edited;
    edited.grid.BeginCellEdit(1, 1, QPoint(), '7');
    edited.Press(edited.Editor(), Qt::Key_Escape);
    EXPECT_EQ(edited.grid.CellText(1, 1), QString("1.23"));
    EXPECT_FALSE(edited.grid.CellAt(1, 1)->IsModified());
    EXPECT_EQ(edited.Count(GridNotification::EndEdit), 0);
}

TEST(GridEdit, escapeAfterAPollRewroteTheCellKeepsThePresentTextAndReportsNothing)
{
    EditedGrid edited;
    edited.grid.BeginCellEdit(1, 1, QPoint(), '7');
    edited.grid.SetCellText(1, 1, "4.56");
    edited.grid.MarkModified(false);
    edited.notifications.clear();
    edited.Press(edited.Editor(), Qt::Key_Escape);
    EXPECT_EQ(edited.grid.CellText(1, 1), QString("4.56"));
    EXPECT_FALSE(edited.grid.IsModified());
    EXPECT_TRUE(edited.notifications.empty());
}

TEST(GridEdit, committingTheUnchangedTextNeitherMarksTheCellNorTellsTheOwner)
{
    EditedGrid edited;
    edited.grid.BeginCellEdit(1, 1, QPoint(), kEditByMouse);
    CGridInPlaceEdit* editor = edited.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QString("1.23"));
    EXPECT_FALSE(editor->hasSelectedText());
    EXPECT_EQ(editor->cursorPosition(), 4);
    edited.Press(editor, Qt::Key_Return);
    EXPECT_FALSE(edited.grid.CellAt(1, 1)->IsModified());
    EXPECT_FALSE(edited.grid.IsModified());
    EXPECT_EQ(edited.Count(GridNotification::EndEdit), 0);
}

TEST(GridEdit, aRightAlignedCellIsEditedInARightAlignedEditor)
{
    EditedGrid edited;
    edited.grid.CellAt(1, 1)->SetFormat(Gdi::DT_RIGHT | Gdi::DT_VCENTER | Gdi::DT_SINGLELINE);
    edited.grid.BeginCellEdit(1, 1, QPoint(), kEditByMouse);
    ASSERT_NE(edited.Editor(), nullptr);
    EXPECT_TRUE(edited.Editor()->alignment() & Qt::AlignRight);
}

TEST(GridEdit, anOwnerVetoOnBeginOrRejectionOnEndKeepsTheOldText)
{
    EditedGrid vetoed;
    vetoed.beginReply = -1;
    vetoed.grid.BeginCellEdit(1, 1, QPoint(), '5');
    EXPECT_EQ(vetoed.Editor(), nullptr);
    EXPECT_FALSE(vetoed.grid.CellAt(1, 1)->IsEditing());

    EditedGrid rejected;
    rejected.endReply = -1;
    rejected.grid.BeginCellEdit(1, 1, QPoint(), '5');
    rejected.Press(rejected.Editor(), Qt::Key_Return);
    EXPECT_EQ(rejected.grid.CellText(1, 1), QString("1.23"));
    EXPECT_FALSE(rejected.grid.CellAt(1, 1)->IsModified());
    EXPECT_FALSE(rejected.grid.CellAt(1, 1)->IsEditing());
}

TEST(GridEdit, aReadOnlyCellOrANonEditableGridOpensNoEditor)
{
    EditedGrid edited;
    edited.grid.CellAt(1, 1)->SetState(edited.grid.CellAt(1, 1)->State() | CellReadOnly);
    edited.grid.BeginCellEdit(1, 1, QPoint(), '5');
    EXPECT_EQ(edited.Editor(), nullptr);
    edited.grid.SetEditable(false);
    edited.grid.BeginCellEdit(2, 2, QPoint(), '5');
    EXPECT_EQ(edited.Editor(2, 2), nullptr);
    EXPECT_EQ(edited.Count(GridNotification::BeginEdit), 0);
}

TEST(GridEdit, f2OnTheFocusCellAndADoubleClickOnACellOpenTheEditorWithTheCaretAfterTheText)
{
    EditedGrid edited;
    edited.grid.MoveFocusTo(1, 1);
    edited.Press(&edited.grid, Qt::Key_F2);
    ASSERT_NE(edited.Editor(), nullptr);
    EXPECT_FALSE(edited.Editor()->hasSelectedText());
    edited.grid.FinishEditing();
    EXPECT_EQ(edited.Editor(), nullptr);

    const QPointF inside = edited.grid.CellRect(2, 2).center();
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, inside, edited.grid.viewport()->mapToGlobal(inside),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edited.grid.viewport(), &doubleClick);
    EXPECT_NE(edited.Editor(2, 2), nullptr);
}

TEST(GridEdit, typingBeyondTheEditorsWidthWidensItUpToTheGridsEdge)
{
    EditedGrid edited;
    edited.grid.BeginCellEdit(1, 1, QPoint(), kEditByMouse);
    CGridInPlaceEdit* editor = edited.Editor();
    const int before = editor->width();
    for (int i = 0; i < 80; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, QStringLiteral("W"));
        QApplication::sendEvent(editor, &press);
    }
    EXPECT_GT(editor->width(), before);
    EXPECT_EQ(editor->geometry().right(), edited.grid.viewport()->width() - 1);
}

TEST(GridEdit, closingTheGridWhileEditingTellsTheOwnerNothing)
{
    auto edited = std::make_unique<EditedGrid>();
    edited->grid.BeginCellEdit(1, 1, QPoint(), '9');
    edited->notifications.clear();
    edited.reset();
    SUCCEED();
}
