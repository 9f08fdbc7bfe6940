#include "pages/MeterSetPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "framework/DataExchange.h"
#include "resources/ControlIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
using namespace MeterSetIds;

// Block A from 1000: CT 150/5, PT 100000 (34464 + 1 x 65536) / 100, wiring, address 1, 9600 baud.
std::vector<uint16_t> BlockA(uint16_t wiring)
{
    return {150, 5, 34464, 1, 100, wiring, 1, 1};
}
// Block B from 1021: export active, import reactive, pulse constant 3200, target "F", magnification 50.
const std::vector<uint16_t> kBlockB = {2, 1, 3200, 13, 50};

class MeterSetPageTest : public PageFixture<CMeterSetPage>
{
protected:
    void SetUp() override
    {
        page.Create();
        line.Set(1000, BlockA(1));
        line.Set(1021, kBlockB);
    }

    QString Text(int id) const { return page.GetDlgItemText(id); }
    int Selected(int id) const { return page.ComboBox(id)->currentIndex(); }
    void Select(int id, int position) { page.ComboBox(id)->setCurrentIndex(position); }
};
} // namespace

TEST_F(MeterSetPageTest, loadShowsBothBlocksInTheirControlsAddressingTheSlaveInTheIdBox)
{
    SlaveId = 99;
    page.Start();

    EXPECT_EQ(SlaveId, 1);
    EXPECT_EQ(Text(kCtPrimaryEdit), "150");
    EXPECT_EQ(Text(kCtSecondaryEdit), "5");
    EXPECT_EQ(Text(kPtPrimaryEdit), "100000");
    EXPECT_EQ(Text(kPtSecondaryEdit), "100");
    EXPECT_EQ(Text(kAddressEdit), "1");
    EXPECT_EQ(Selected(kBaudList), 1);
    EXPECT_EQ(Selected(kWiringList), 1);
    EXPECT_FALSE(page.IsDlgButtonChecked(kFourLinesRadio));
    EXPECT_TRUE(page.IsDlgButtonChecked(kThreeLinesRadio));
    EXPECT_EQ(Selected(kActivePulseList), 2);
    EXPECT_EQ(Selected(kReactivePulseList), 1);
    EXPECT_EQ(Text(kPulseConstantEdit), "3200");
    EXPECT_EQ(Selected(kAnalogTargetList), 13);
    EXPECT_EQ(Text(kMagnificationEdit), "50");
    EXPECT_TRUE(boxes.messages.empty());
}

// A wiring value the list has no item for is shown as such and written back as it was.
TEST_F(MeterSetPageTest, setWritesBothBlocksInRegisterOrderAsLow16BitsAndKeepsAWiringTheListLacks)
{
    line.Set(1000, BlockA(2));
    page.Start();
    EXPECT_EQ(page.ComboBox(kWiringList)->currentText(), "(value 2)");
    EXPECT_FALSE(page.IsDlgButtonChecked(kFourLinesRadio));
    EXPECT_FALSE(page.IsDlgButtonChecked(kThreeLinesRadio));

    page.SetDlgItemText(kCtPrimaryEdit, "200");
    page.SetDlgItemText(kPulseConstantEdit, "70000");
    page.SetDlgItemText(kMagnificationEdit, " -1 ");
    Select(kActivePulseList, 1);
    Select(kAnalogTargetList, 7);
    page.Set();

    const auto writes = line.Requests(16);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].info.address, 1000);
    EXPECT_EQ(writes[0].info.values, (std::vector<uint16_t>{200, 5, 34464, 1, 100, 2, 1, 1}));
    EXPECT_EQ(writes[1].info.address, 1021);
    EXPECT_EQ(writes[1].info.values, (std::vector<uint16_t>{1, 1, 4464, 7, 65535}));
    // The reload shows what the meter now holds.
    EXPECT_EQ(Text(kCtPrimaryEdit), "200");
    EXPECT_EQ(Text(kPtPrimaryEdit), "100000");
    EXPECT_EQ(Text(kPulseConstantEdit), "4464");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(MeterSetPageTest, radioButtonsChooseTheWiringThatSetWrites)
{
    line.Set(1000, BlockA(2)); // a value the list lacks, replaced by the user's choice
    page.Start();
    page.DlgItem<QAbstractButton>(kFourLinesRadio)->click();
    page.Set();

    const auto writes = line.Requests(16);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes[0].info.values[5], 0);
    EXPECT_TRUE(page.IsDlgButtonChecked(kFourLinesRadio));
}

TEST_F(MeterSetPageTest, newAddressAndRateAreFollowedSoBlockBReachesTheMeterAndTheReloadShowsIt)
{
    main.openPort = [this] { return line.ReopenAt(main.baudPosition == 2 ? 19200 : 9600); };
    page.Start();
    page.SetDlgItemText(kAddressEdit, "5");
    Select(kBaudList, 2);
    page.SetDlgItemText(kPulseConstantEdit, "1600");
    page.Set();

    EXPECT_EQ(main.slaveIdText, "5");
    EXPECT_EQ(main.baudPosition, 2);
    EXPECT_EQ(main.portOpens, 1);
    EXPECT_EQ(line.Meter().SlaveAddress(), 5);
    EXPECT_EQ(line.Meter().Baud(), 19200);
    const auto writes = line.Requests(16);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].info.slave, 5);
    EXPECT_EQ(writes[1].lineBaud, 19200);
    EXPECT_EQ(line.Get(1023), 1600);
    EXPECT_EQ(Text(kAddressEdit), "5");
    EXPECT_EQ(Selected(kBaudList), 2);
    EXPECT_EQ(Text(kPulseConstantEdit), "1600");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(MeterSetPageTest, aRateChosenDuringTheWriteOfBlockAIsNotFollowedSinceItWasNeverWritten)
{
    main.openPort = [this] { return line.ReopenAt(main.baudPosition == 2 ? 19200 : 38400); };
    page.Start();
    Select(kBaudList, 2);
    Select(kActivePulseList, 1);
    QTimer::singleShot(0, &page, [this] {
        Select(kBaudList, 3);
        Select(kActivePulseList, 0);
    });
    page.Set();

    EXPECT_EQ(line.Meter().Baud(), 19200);
    EXPECT_EQ(main.baudPosition, 2);
    const auto writes = line.Requests(16);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].lineBaud, 19200);
    EXPECT_EQ(writes[1].info.values[0], 1);
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(MeterSetPageTest, newRateAlreadyInThePanelButNotYetOnThePortStillReopensThePort)
{
    main.openPort = [this] { return line.ReopenAt(main.baudPosition == 2 ? 19200 : 9600); };
    page.Start();
    main.baudPosition = 2; // chosen in the panel, no navigation since: the port still runs at 9600
    Select(kBaudList, 2);
    page.SetDlgItemText(kPulseConstantEdit, "1600");
    page.Set();

    EXPECT_EQ(main.portOpens, 1);
    const auto writes = line.Requests(16);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].lineBaud, 19200);
    EXPECT_EQ(line.Get(1023), 1600);
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(MeterSetPageTest, setThatKeepsTheRateLeavesThePortAsItIs)
{
    page.Start();
    page.SetDlgItemText(kAddressEdit, "7");
    page.Set();

    EXPECT_EQ(main.slaveIdText, "7");
    EXPECT_EQ(main.portOpens, 0);
    EXPECT_EQ(line.Meter().SlaveAddress(), 7);
    EXPECT_EQ(Text(kPulseConstantEdit), "3200");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(MeterSetPageTest, aRefusedBlockAIsReportedAndNotFollowedAndNothingElseIsWritten)
{
    page.Start();
    page.SetDlgItemText(kAddressEdit, "0"); // the meter refuses address 0 with an exception reply
    Select(kBaudList, 2);
    page.SetDlgItemText(kPulseConstantEdit, "1600");
    page.Set();

    EXPECT_EQ(main.slaveIdText, "1");
    EXPECT_EQ(main.baudPosition, 1);
    EXPECT_EQ(main.portOpens, 0);
    EXPECT_EQ(SlaveId, 1);
    EXPECT_EQ(line.Meter().SlaveAddress(), 1);
    EXPECT_EQ(line.Get(1023), 3200);
    EXPECT_EQ(line.Requests(16).size(), 1u);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Communication Fail");
    EXPECT_EQ(boxes.messages[0].caption, "Error");
}

// A damaged reply confirms nothing, but a meter that answers at the new address took the block.
TEST_F(MeterSetPageTest, aDamagedEchoOfBlockAIsFollowedOnlyWhereTheMeterThenAnswers)
{
    page.Start();
    page.SetDlgItemText(kAddressEdit, "7");
    line.Server().Faults().FailNext(FaultMode::BadCrc, 1);
    page.Set();

    EXPECT_EQ(main.slaveIdText, "7");
    EXPECT_EQ(line.Meter().SlaveAddress(), 7);
    EXPECT_EQ(line.Requests(16).back().info.slave, 7);
    EXPECT_TRUE(boxes.messages.empty());

    page.SetDlgItemText(kAddressEdit, "9");
    line.Server().Faults().FailNext(FaultMode::NoReply, 4); // the write and every read after it
    page.Set();
    EXPECT_EQ(main.slaveIdText, "7");
    EXPECT_EQ(SlaveId, 7);
    ASSERT_EQ(boxes.messages.size(), 1u);
}

TEST_F(MeterSetPageTest, silentMeterGivesOneMessageOnLoadAndBlockBIsNotRead)
{
    line.Silence();
    page.Start();

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Communication Fail");
    EXPECT_EQ(boxes.messages[0].caption, "Error");
    EXPECT_EQ(boxes.messages[0].icon, MessageIcon::Stop);
    const auto reads = line.Requests(3);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].info.address, 1000);
    EXPECT_EQ(Text(kCtPrimaryEdit), "0");
}

TEST_F(MeterSetPageTest, silentMeterOnSetWritesNoBlockBAndReloadsNothing)
{
    page.Start();
    page.SetDlgItemText(kCtPrimaryEdit, "300");
    line.Silence();
    line.ClearRequests();
    page.Set();

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(line.Requests().size(), 1u);
    EXPECT_EQ(Text(kCtPrimaryEdit), "300");
}

TEST_F(MeterSetPageTest, badFieldIsReportedOnceAndNothingIsWrittenSoEveryEntryStays)
{
    page.Start();
    page.SetDlgItemText(kPtPrimaryEdit, "5000");
    page.SetDlgItemText(kCtPrimaryEdit, "12a");
    page.SetDlgItemText(kCtSecondaryEdit, "x");
    line.ClearRequests();
    page.Set();

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, kNotAWholeNumber);
    EXPECT_TRUE(line.Requests().empty());
    EXPECT_EQ(Text(kPtPrimaryEdit), "5000");
    EXPECT_EQ(Text(kCtPrimaryEdit), "12a");
    EXPECT_EQ(Text(kCtSecondaryEdit), "x");
    EXPECT_EQ(main.portOpens, 0);
}
