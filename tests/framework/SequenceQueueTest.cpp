#include "WaitUntil.h"
#include "comm/LineWait.h"
#include "framework/Dialog.h"

#include <QAbstractButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
constexpr int kButton = 1009;

// A window whose tick and command each wait on the line for a while, and say when they run.
class BusyDialog : public CDialog
{
public:
    BusyDialog() : CDialog(104) { Create(); }
    QAbstractButton& Button() const { return *DlgItem<QAbstractButton>(kButton); }

    std::vector<QString> steps;
    bool tickWaitsForAClick = true;

protected:
    // Such a tick stops its timer, and has the button clicked while it waits on the line.
    void OnTimer(int n) override
    {
        steps.push_back(QStringLiteral("tick"));
        if (tickWaitsForAClick) {
            KillTimer(n);
            QTimer::singleShot(10, this, [this] { Button().click(); });
            LineWait::For(60);
        }
        steps.push_back(QStringLiteral("tick done"));
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
    dialog.KillTimer(1);
    EXPECT_EQ(dialog.steps, (std::vector<QString>{"command", "command done", "tick", "tick done"}));
}
