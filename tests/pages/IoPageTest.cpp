#include "pages/IoPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "framework/DataExchange.h"
#include "resources/ControlIds.h"
#include "widgets/IndicatorLamp.h"

#include <QAbstractButton>
#include <QComboBox>
#include <algorithm>
#include <gtest/gtest.h>

namespace {
using namespace IoIds;

// Relay settings from 1030, per relay: mode, target, upper, lower, delay.
const std::vector<uint16_t> kRelaySettings = {
    1, 9,  120,   80, 5, // relay 1: remote, the empty tenth target
    0, 14, 110,   90, 3, // relay 2: a target the list does not hold
    2, 5,  1,     2,  3, // relay 3: a mode the list does not hold
    0, 0,  65535, 0,  0, // relay 4
};
const std::vector<uint16_t> kReturnTimes = {10, 20, 30, 40};

class IoPageTest : public PageFixture<CIoPage>
{
protected:
    void SetUp() override
    {
        CurrentPage = CIoPage::kPageNumber;
        SlaveId = 1;
        page.Create();
        line.Set(1030, kRelaySettings);
        line.Set(1015, kReturnTimes);
    }

    QString Text(int id) const { return page.GetDlgItemText(id); }
    int Selected(int id) const { return page.ComboBox(id)->currentIndex(); }
    int LampState(int id) const { return page.DlgItem<CIndicatorLamp>(id)->State(); }
    void Click(int id) { page.DlgItem<QAbstractButton>(id)->click(); }
    static std::vector<int> AllLamps()
    {
        std::vector<int> lamps(std::begin(kRelayLamps), std::end(kRelayLamps));
        lamps.insert(lamps.end(), std::begin(kInputLamps), std::end(kInputLamps));
        return lamps;
    }
};
} // namespace

TEST_F(IoPageTest, loadSelectsListItemsByRegisterValueAndShowsLimitsDelaysAndReturnTimes)
{
    page.Start();

    EXPECT_EQ(Selected(kRelay1Settings.modeList), 1);
    EXPECT_EQ(Selected(kRelay1Settings.targetList), 9);
    EXPECT_EQ(page.ComboBox(kRelay1Settings.targetList)->currentText(), "");
    EXPECT_EQ(Selected(kRelay2Settings.modeList), 0);
    EXPECT_EQ(page.ComboBox(kRelay2Settings.targetList)->currentText(), "(value 14)")
        << "a value the list lacks";
    EXPECT_EQ(page.ComboBox(kRelay3Settings.modeList)->currentText(), "(value 2)");
    EXPECT_EQ(Selected(kRelay3Settings.targetList), 5);
    EXPECT_EQ(page.ComboBox(kRelay3Settings.targetList)->currentText(), "Imax");
    EXPECT_EQ(Text(kRelay1Settings.upperEdit), "120");
    EXPECT_EQ(Text(kRelay1Settings.lowerEdit), "80");
    EXPECT_EQ(Text(kRelay1Settings.delayEdit), "5");
    EXPECT_EQ(Text(kRelay2Settings.lowerEdit), "90");
    EXPECT_EQ(Text(kRelay4Settings.upperEdit), "65535");
    EXPECT_EQ(Text(kRelay1Settings.returnEdit), "10");
    EXPECT_EQ(Text(kRelay2Settings.returnEdit), "20");
    EXPECT_EQ(Text(kRelay3Settings.returnEdit), "30");
    EXPECT_EQ(Text(kRelay4Settings.returnEdit), "40");
    EXPECT_TRUE(page.IsTimerRunning(1));
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(IoPageTest, setWritesTheTwentyRelayRegistersThenTheFourReturnTimes)
{
    page.Start();
    page.SetDlgItemText(kRelay2Settings.upperEdit, "70000");
    page.SetDlgItemText(kRelay4Settings.returnEdit, "45");
    line.ClearRequests();
    page.Set();

    const auto writes = line.Requests(16);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].info.address, 1030);
    EXPECT_EQ(writes[0].info.values, (std::vector<uint16_t>{1, 9, 120, 80, 5, 0, 14, 4464,  90, 3,
                                                            2, 5, 1,   2,  3, 0, 0,  65535, 0,  0}));
    EXPECT_EQ(writes[1].info.address, 1015);
    EXPECT_EQ(writes[1].info.values, (std::vector<uint16_t>{10, 20, 30, 45}));
    // The reload after Set reads both blocks back.
    EXPECT_EQ(line.Requests(3).size(), 2u);
    EXPECT_EQ(Text(kRelay2Settings.upperEdit), "4464");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(IoPageTest, badCrcOnTheRelayWriteShowsSetFailSkipsTheReturnTimesAndStillReloads)
{
    page.Start();
    line.ClearRequests();
    line.Server().Faults().FailNext(FaultMode::BadCrc, 1);
    page.Set();

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Set Fail");
    EXPECT_EQ(boxes.messages[0].caption, "Error");
    EXPECT_EQ(line.Requests(16).size(), 1u);
    EXPECT_EQ(line.Requests(3).size(), 2u);
}

TEST_F(IoPageTest, silentMeterOnLoadShowsTheLowerCaseMessageOnceAndStillArmsThePoll)
{
    line.Silence();
    page.KillTimer(1);
    page.Start();

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Communication fail");
    EXPECT_EQ(boxes.messages[0].caption, "Error");
    EXPECT_TRUE(page.IsTimerRunning(1));
}

TEST_F(IoPageTest, relayButtonsSendCoilsZeroToThreeClosingWithFF00AndOpeningWith0000)
{
    const int closeButtons[] = {kRelay1CloseButton, kRelay2CloseButton, kRelay3CloseButton,
                                kRelay4CloseButton};
    const int openButtons[] = {kRelay1OpenButton, kRelay2OpenButton, kRelay3OpenButton, kRelay4OpenButton};
    for (int relay = 0; relay < 4; ++relay) {
        Click(closeButtons[relay]);
        EXPECT_TRUE(line.Meter().Relay(relay + 1));
        Click(openButtons[relay]);
        EXPECT_FALSE(line.Meter().Relay(relay + 1));
    }

    const auto coils = line.Requests(5);
    ASSERT_EQ(coils.size(), 8u);
    for (int relay = 0; relay < 4; ++relay) {
        EXPECT_EQ(coils[2 * relay].info.address, relay);
        EXPECT_EQ(coils[2 * relay].info.values, std::vector<uint16_t>{0xFF00});
        EXPECT_EQ(coils[2 * relay + 1].info.address, relay);
        EXPECT_EQ(coils[2 * relay + 1].info.values, std::vector<uint16_t>{0x0000});
    }
    EXPECT_EQ(coils[0].request, (Frame{0x01, 0x05, 0x00, 0x00, 0xFF, 0x00, 0x8C, 0x3A}));
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(IoPageTest, silentMeterOnARelayCommandShowsCommunicationFail)
{
    line.Silence();
    Click(kRelay1CloseButton);

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Communication Fail");
}

TEST_F(IoPageTest, badFieldOnSetWritesNothingWhileARelayCommandStillSwitches)
{
    page.Start();
    page.SetDlgItemText(kRelay2Settings.delayEdit, "x");
    page.SetDlgItemText(kRelay1Settings.upperEdit, "77");
    line.ClearRequests();
    page.Set();

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, kNotAWholeNumber);
    EXPECT_TRUE(line.Requests().empty());
    EXPECT_EQ(Text(kRelay2Settings.delayEdit), "x");
    EXPECT_EQ(Text(kRelay1Settings.upperEdit), "77");

    Click(kRelay2CloseButton);
    EXPECT_EQ(boxes.messages.size(), 2u);
    EXPECT_TRUE(line.Meter().Relay(2));
}

TEST_F(IoPageTest, statusPollLightsTheLampsOfSetBitsAndGreysTheRest)
{
    for (int id : AllLamps())
        EXPECT_EQ(LampState(id), 2) << id;
    line.Set(137, {0x0005, 0x0008});
    page.Poll();

    const int lit[] = {kInputLamps[0], kInputLamps[2], kRelayLamps[3]}; // S1, S3, R4
    for (int id : AllLamps()) {
        const bool shouldLight = std::find(std::begin(lit), std::end(lit), id) != std::end(lit);
        EXPECT_EQ(LampState(id), shouldLight ? 0 : 2) << id;
        EXPECT_EQ(page.DlgItem<CIndicatorLamp>(id)->ColourOffset(), 32);
        EXPECT_EQ(page.DlgItem<CIndicatorLamp>(id)->ShapeOffset(), 48);
    }

    line.Silence();
    page.Poll();
    EXPECT_EQ(LampState(kInputLamps[0]), 0);
    EXPECT_TRUE(boxes.messages.empty());
}
