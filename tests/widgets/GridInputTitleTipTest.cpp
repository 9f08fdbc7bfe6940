#include "GridInputFixture.h"
#include "WaitUntil.h"
#include "widgets/ClippedTextTip.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

class EventRecorder : public QWidget
{
public:
    QList<QEvent::Type> mouseEvents;
    QList<int> keys;

protected:
    void mouseMoveEvent(QMouseEvent*) override { mouseEvents.append(QEvent::MouseMove); }
    void mousePressEvent(QMouseEvent*) override { mouseEvents.append(QEvent::MouseButtonPress); }
    void mouseReleaseEvent(QMouseEvent*) override { mouseEvents.append(QEvent::MouseButtonRelease); }
    void keyPressEvent(QKeyEvent* event) override { keys.append(event->key()); }
};

class ClippedTextTipTest : public testing::Test
{
protected:
    void SetUp() override
    {
        owner.setMouseTracking(true);
        owner.setFocusPolicy(Qt::StrongFocus);
        owner.resize(300, 200);
        owner.show();
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
        owner.setFocus();
    }

    void ShowOverCell(const QString& text) { tip.ShowTip(cellRect, text, 0, cellRect, owner.font()); }

    EventRecorder owner;
    CClippedTextTip tip{&owner};
    const QRect cellRect{20, 20, 40, 18};
    const QString longText{"a text far too wide for a forty pixel cell"};
};

} // namespace

TEST_F(ClippedTextTipTest, aClippedTextIsShownWholeWithABlankOnEitherSideOverTheCell)
{
    ShowOverCell(longText);
    ASSERT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.ShownText(), " " + longText + " ");
    EXPECT_EQ(tip.geometry().topLeft(), owner.mapToGlobal(cellRect.topLeft()));
    EXPECT_EQ(tip.height(), cellRect.height());
    EXPECT_GT(tip.width(), cellRect.width());
}

TEST_F(ClippedTextTipTest, aTextThatFitsItsCellShowsNoTip)
{
    ShowOverCell("1");
    EXPECT_FALSE(tip.isVisible());
}

TEST_F(ClippedTextTipTest, anEmptyTitleRectangleShowsNoTip)
{
    tip.ShowTip(QRect(), longText, 0, cellRect, owner.font());
    EXPECT_FALSE(tip.isVisible());
}

TEST_F(ClippedTextTipTest, movingInsideTheCellKeepsTheTipAndLeavingItHidesTipAndReachesTheWidgetBeneath)
{
    ShowOverCell(longText);
    QTest::mouseMove(&owner, cellRect.center());
    EXPECT_TRUE(tip.isVisible());
    EXPECT_TRUE(owner.mouseEvents.isEmpty());

    QTest::mouseMove(&owner, QPoint(150, 150));
    EXPECT_FALSE(tip.isVisible());
    EXPECT_EQ(owner.mouseEvents, QList<QEvent::Type>{QEvent::MouseMove});
}

TEST_F(ClippedTextTipTest, aKeyPressHidesTheTipAndStillReachesTheFocusWidget)
{
    ShowOverCell(longText);
    QTest::keyClick(&owner, Qt::Key_Down);
    EXPECT_FALSE(tip.isVisible());
    EXPECT_EQ(owner.keys, QList<int>{Qt::Key_Down});
}

TEST_F(ClippedTextTipTest, aClickOnTheTipHidesItAndPressAndReleaseReachTheWidgetBeneath)
{
    ShowOverCell(longText);
    QTest::mouseClick(&tip, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(tip.isVisible());
    EXPECT_EQ(owner.mouseEvents, (QList<QEvent::Type>{QEvent::MouseButtonPress, QEvent::MouseButtonRelease}));
}

using GridTitleTipTest = GridInputTest;

namespace {

CClippedTextTip* TipOf(const CGridCtrl& grid)
{
    return grid.viewport()->findChild<CClippedTextTip*>();
}

} // namespace

TEST_F(GridTitleTipTest, hoveringAClippedCellShowsItsWholeTextAndACellThatFitsShowsNothing)
{
    const QString wide = "a text much too wide for the column it is written in";
    grid.SetCellText(2, 1, wide);
    QTest::mouseMove(grid.viewport(), CellCentre(1, 1));
    EXPECT_FALSE(TipOf(grid)->isVisible());

    QTest::mouseMove(grid.viewport(), CellCentre(2, 1));
    ASSERT_TRUE(TipOf(grid)->isVisible());
    EXPECT_EQ(TipOf(grid)->ShownText(), " " + wide + " ");
}

TEST_F(GridTitleTipTest, leavingTheCellHidesTheTip)
{
    grid.SetCellText(2, 1, "a text much too wide for the column it is written in");
    QTest::mouseMove(grid.viewport(), CellCentre(2, 1));
    ASSERT_TRUE(TipOf(grid)->isVisible());
    QTest::mouseMove(grid.viewport(), CellCentre(4, 3));
    EXPECT_FALSE(TipOf(grid)->isVisible());
}

TEST_F(GridTitleTipTest, aKeyPressHidesTheTipAndStillMovesTheFocusCell)
{
    grid.SetCellText(2, 1, "a text much too wide for the column it is written in");
    grid.MoveFocusTo(2, 1);
    QTest::mouseMove(grid.viewport(), CellCentre(2, 1));
    ASSERT_TRUE(TipOf(grid)->isVisible());
    Key(Qt::Key_Down);
    EXPECT_FALSE(TipOf(grid)->isVisible());
    EXPECT_EQ(grid.FocusCell(), (CellId{3, 1}));
}

TEST_F(GridTitleTipTest, theWheelTurnedOverTheTipHidesItAndScrollsTheGridBeneath)
{
    grid.SetRowTotal(200);
    grid.SetCellText(2, 1, "a text much too wide for the column it is written in");
    QTest::mouseMove(grid.viewport(), CellCentre(2, 1));
    CClippedTextTip* tip = TipOf(grid);
    ASSERT_TRUE(tip->isVisible());

    const QPointF inTip(5, 5);
    QWheelEvent notch(inTip, tip->mapToGlobal(inTip), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(tip, &notch);
    EXPECT_FALSE(tip->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return grid.TopLeftNonFixedCell().row > 0; }));
}
