#include "WaitUntil.h"
#include "framework/Dialog.h"
#include "resources/ControlIds.h"

#include "resources/DialogTemplates.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
// Records which timer numbers fire.
class TimedDialog : public CDialog
{
public:
    TimedDialog() : CDialog(DialogTemplateOf(104)) {}
    std::vector<int> ticks;

protected:
    void OnTimer(int n) override { ticks.push_back(n); }
};
} // namespace

TEST(DialogTimerTest, timersAreNumberedPerWindowAndSetTimerReplacesTheRunningOne)
{
    TimedDialog dialog;
    dialog.Create();
    dialog.SetTimer(1, 60000);
    dialog.SetTimer(1, 5); // re-arms timer 1 instead of adding a second one
    dialog.SetTimer(2, 5);
    ASSERT_TRUE(WaitUntil([&] { return dialog.ticks.size() >= 4; }));
    dialog.KillTimer(1);
    dialog.KillTimer(2);
    EXPECT_FALSE(dialog.IsTimerRunning(1));
    const auto count = [&](int n) { return std::count(dialog.ticks.begin(), dialog.ticks.end(), n); };
    EXPECT_GE(count(1), 1);
    EXPECT_GE(count(2), 1);
}

TEST(DialogTemplateBuildTest, controlsAreFoundByIdAndHiddenOnesStayHidden)
{
    CDialog dialog(DialogTemplateOf(104));
    dialog.Create();
    dialog.show();
    ASSERT_NE(dialog.GetDlgItem(kPageGridId), nullptr);
    ASSERT_NE(dialog.GetDlgItem(RealtimeDataIds::kLoadButton), nullptr);
    EXPECT_EQ(dialog.GetDlgItemText(RealtimeDataIds::kLoadButton), "Load");
    EXPECT_FALSE(dialog.GetDlgItem(kOkButtonId)->isVisible());
    EXPECT_FALSE(dialog.GetDlgItem(kOkButtonId)->isEnabled());
    EXPECT_TRUE(dialog.GetDlgItem(RealtimeDataIds::kLoadButton)->isVisible());
    EXPECT_EQ(dialog.GetDlgItem(4242), nullptr);
    // The grid lies where its dialog units put it, scaled by the font's base units.
    const QPoint origin = dialog.DialogUnitsToPixels(30, 7);
    EXPECT_EQ(dialog.GetDlgItem(kPageGridId)->pos(), origin);
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(80, 180, 200));
}
