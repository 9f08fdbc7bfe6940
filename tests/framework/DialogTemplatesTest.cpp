#include "framework/DialogTemplate.h"
#include "resources/ControlIds.h"

#include "resources/DialogTemplates.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace {
constexpr int kDialogIds[] = {102, 104, 105, 106, 108, 109, 130, 110, 138, 133};
constexpr int kPagesWithGrid[] = {104, 106, 108, 109, 110, 138};
// A drop-down list's height includes its list part, which may open past the dialog's edge.
constexpr int kClosedComboHeight = 14;

// Stands in for a control the template lacks, so a failed lookup fails the check instead of crashing.
constexpr ControlTemplate kMissing{ControlKind::Tree, -2, "<missing>", 0, 0, 0, 0};

const ControlTemplate& FindControl(int dialogId, int controlId)
{
    for (const ControlTemplate& c : FindDialogTemplate(dialogId)->controls)
        if (c.id == controlId)
            return c;
    return kMissing;
}

bool HasText(int dialogId, std::string_view text)
{
    for (const ControlTemplate& c : FindDialogTemplate(dialogId)->controls)
        if (text == c.text)
            return true;
    return false;
}
} // namespace

TEST(DialogTemplates, ExistForTheMainWindowAndEveryPageAndNothingElse)
{
    for (int id : kDialogIds)
        EXPECT_NE(FindDialogTemplate(id), nullptr) << id;
    EXPECT_EQ(FindDialogTemplate(107), nullptr);
}

TEST(DialogTemplates, NoTwoControlsOfADialogShareAnId)
{
    for (int id : kDialogIds) {
        std::set<int> seen;
        for (const ControlTemplate& c : FindDialogTemplate(id)->controls)
            EXPECT_TRUE(c.id == -1 || seen.insert(c.id).second) << "dialog " << id << " control " << c.id;
    }
}

TEST(DialogTemplates, EveryVisibleControlLiesInsideItsDialog)
{
    for (int id : kDialogIds) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        for (const ControlTemplate& c : dialog->controls) {
            if (c.hidden)
                continue;
            const int height = c.kind == ControlKind::ComboBox ? kClosedComboHeight : c.height;
            EXPECT_TRUE(c.x >= 0 && c.y >= 0 && c.x + c.width <= dialog->width &&
                        c.y + height <= dialog->height)
                << "dialog " << id << " control " << c.id << " \"" << c.text << "\"";
        }
    }
}

TEST(DialogTemplates, EveryTablePageHasItsGridAsControl1008)
{
    for (int id : kPagesWithGrid) {
        EXPECT_EQ(FindControl(id, kPageGridId).kind, ControlKind::Grid) << id;
    }
    EXPECT_EQ(FindControl(105, MeterSetIds::kBaudList).kind, ControlKind::ComboBox);
    EXPECT_EQ(FindControl(130, IoIds::kRelay2Settings.upperEdit).kind, ControlKind::Edit);
}

TEST(DialogTemplates, KeepTheirTextsExactlyTyposAndTrailingBlanksIncluded)
{
    EXPECT_TRUE(HasText(104, "Recieve"));
    EXPECT_EQ(std::string_view(FindControl(138, MaxMinIds::kClearButton).text),
              "Clear max. /min. real time data");
    EXPECT_TRUE(HasText(105, "Output target of Reactive power "));
    EXPECT_TRUE(HasText(105, "Transfer "));
    EXPECT_TRUE(HasText(133, "Energe"));
    EXPECT_EQ(std::string_view(FindControl(108, CommonDataIds::kClearMaxMinButton).text), "清除最值");
    EXPECT_EQ(std::string_view(FindDialogTemplate(138)->fontFamily), "宋体");
}

TEST(DialogTemplates, BindTheStatusLampsToTheirStaticControls)
{
    EXPECT_EQ(FindControl(104, RealtimeDataIds::kSendLamp).kind, ControlKind::Lamp);
    EXPECT_EQ(FindControl(104, RealtimeDataIds::kReceiveLamp).kind, ControlKind::Lamp);
    for (int id : IoIds::kRelayLamps)
        EXPECT_EQ(FindControl(130, id).kind, ControlKind::Lamp) << id;
    for (int id : IoIds::kInputLamps)
        EXPECT_EQ(FindControl(130, id).kind, ControlKind::Lamp) << id;
}

TEST(DialogTemplates, HideTheButtonsThatHaveNoBehaviour)
{
    for (int id : kDialogIds) {
        for (int button : {kOkButtonId, kCancelButtonId}) {
            const ControlTemplate& c = FindControl(id, button);
            EXPECT_TRUE(c.id == kMissing.id || c.hidden) << "dialog " << id << " button " << button;
        }
    }
    for (int button : {MeterSetIds::kClearEnergyButton, MeterSetIds::kClearTariffEnergyButton,
                       MeterSetIds::kClearDemandButton, MeterSetIds::kClearSoeButton})
        EXPECT_TRUE(FindControl(105, button).hidden && FindControl(105, button).disabled) << button;
}
