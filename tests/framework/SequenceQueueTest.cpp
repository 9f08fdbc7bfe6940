#include "WaitUntil.h"
#include "comm/LineWait.h"
#include "framework/Dialog.h"
#include "resources/ControlIds.h"

#include "resources/DialogTemplates.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
constexpr int kButton = RealtimeDataIds::kLoadButton;

// A window whose tick and command each wait on the line for a while, and say when they run.
class BusyDialog : public CDialog
{
public:
    BusyDialog() : CDialog(DialogTemplateOf(104)) { Create(); }
    QAbstractButton& Button() const { return *DlgItem<QAbstractButton>(kButton); }

    std::vector<QString> steps;
    bool tickWaitsForAClick = true;
    int tickWaitMs = 0;
    int tickLimit = 0; // stops the timer after so many ticks (0: never)

protected:
    // Such a tick stops its timer, and has the button clicked while it waits on the line.
    void OnTimer(int n) override
    {
        steps.push_back(QStringLiteral("tick"));
        if (tickWaitsForAClick) {
            KillTimer(n);
            QTimer::singleShot(10, this, [this] { Button().click(); });
            LineWait::For(60);
        } else {
            LineWait::For(tickWaitMs);
        }
        steps.push_back(QStringLiteral("tick done"));
        if (tickLimit > 0 && static_cast<int>(steps.size()) >= 2 * tickLimit)
            KillTimer(n);
    }
    void OnCommand(int) override
    {
        steps.push_back(QStringLiteral("command"));
        LineWait::For(60);
        steps.push_back(QStringLiteral("command done"));
    }
};
} // namespace

TEST(SequenceQueueTest, aClickWhileATickWaitsRunsAfterTheTick)
{
    BusyDialog dialog;
    dialog.SetTimer(1, 1);
    ASSERT_TRUE(WaitUntil([&] { return dialog.steps.size() == 4; }));
    EXPECT_EQ(dialog.steps, (std::vector<QString>{"tick", "tick done", "command", "command done"}));
}

TEST(SequenceQueueTest, ticksThatFallDueDuringALongSequenceRunOnceAfterIt)
{
    BusyDialog dialog;
    dialog.tickWaitsForAClick = false;
    dialog.SetTimer(1, 5);
    dialog.Button().click();
    ASSERT_TRUE(WaitUntil([&] { return dialog.steps.size() >= 4; }));
    dialog.KillTimer(1);
    EXPECT_EQ(std::vector<QString>(dialog.steps.begin(), dialog.steps.begin() + 4),
              (std::vector<QString>{"command", "command done", "tick", "tick done"}));
}

// A tick that outlasts its timer's period, run from the line's queue rather
// than from its own timer's event, always has its next tick waiting: the line
// is never free. A loop waiting below (the application's, a modal box's) must
// still end.
TEST(SequenceQueueTest, aLoopBelowTicksThatNeverLeaveTheLineFreeStillEnds)
{
    constexpr int kTickLimit = 40;
    BusyDialog first;
    first.tickWaitsForAClick = false;
    first.tickWaitMs = 20;
    first.tickLimit = 1;
    BusyDialog endless;
    endless.tickWaitsForAClick = false;
    endless.tickWaitMs = 20;
    endless.tickLimit = kTickLimit;
    first.SetTimer(1, 1);
    endless.SetTimer(1, 5);
    QEventLoop loop;
    QTimer::singleShot(60, &loop, &QEventLoop::quit);
    loop.exec();
    endless.KillTimer(1);
    EXPECT_LT(static_cast<int>(endless.steps.size()), 2 * kTickLimit);
}
