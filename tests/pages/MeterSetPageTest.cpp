#include "pages/MeterSetPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "framework/DataExchange.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
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
    EXPECT_EQ(Text(1004), "150");
    EXPECT_EQ(Text(1006), "5");
    EXPECT_EQ(Text(1016), "100000");
    EXPECT_EQ(Text(1019), "100");
    EXPECT_EQ(Text(1002), "1");
    EXPECT_EQ(Selected(1008), 1);
    EXPECT_EQ(Selected(1003), 1);
    EXPECT_FALSE(page.IsDlgButtonChecked(1034));
    EXPECT_TRUE(page.IsDlgButtonChecked(1035));
    EXPECT_EQ(Selected(1013), 2);
    EXPECT_EQ(Selected(1014), 1);
    EXPECT_EQ(Text(1021), "3200");
    EXPECT_EQ(Selected(1011), 13);
    EXPECT_EQ(Text(1018), "50");
    EXPECT_TRUE(boxes.messages.empty());
}

// A wiring value the list has no item for is shown as such and written back as it was.
TEST_F(MeterSetPageTest, setWritesBothBlocksInRegisterOrderAsLow16BitsAndKeepsAWiringTheListLacks)
{
    line.Set(1000, BlockA(2));
    page.Start();
    EXPECT_EQ(page.ComboBox(1003)->currentText(), "(value 2)");
    EXPECT_FALSE(page.IsDlgButtonChecked(1034));
    EXPECT_FALSE(page.IsDlgButtonChecked(1035));

    page.SetDlgItemText(1004, "200");
    page.SetDlgItemText(1021, "70000");
    page.SetDlgItemText(1018, " -1 ");
    Select(1013, 1);
    Select(1011, 7);
    page.Set();

    const auto writes = line.Requests(16);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].info.address, 1000);
    EXPECT_EQ(writes[0].info.values, (std::vector<uint16_t>{200, 5, 34464, 1, 100, 2, 1, 1}));
    EXPECT_EQ(writes[1].info.address, 1021);
    EXPECT_EQ(writes[1].info.values, (std::vector<uint16_t>{1, 1, 4464, 7, 65535}));
    // The reload shows what the meter now holds.
    EXPECT_EQ(Text(1004), "200");
    EXPECT_EQ(Text(1016), "100000");
    EXPECT_EQ(Text(1021), "4464");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(MeterSetPageTest, radioButtonsChooseTheWiringThatSetWrites)
{
    line.Set(1000, BlockA(2)); // a value the list lacks, replaced by the user's choice
    page.Start();
    page.DlgItem<QAbstractButton>(1034)->click();
    page.Set();

    const auto writes = line.Requests(16);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes[0].info.values[5], 0);
    EXPECT_TRUE(page.IsDlgButtonChecked(1034));
}

TEST_F(MeterSetPageTest, newAddressAndRateAreFollowedSoBlockBReachesTheMeterAndTheReloadShowsIt)
{
    main.openPort = [this] { return line.ReopenAt(main.baudPosition == 2 ? 19200 : 9600); };
    page.Start();
    page.SetDlgItemText(1002, "5");
    Select(1008, 2);
    page.SetDlgItemText(1021, "1600");
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
    EXPECT_EQ(Text(1002), "5");
    EXPECT_EQ(Selected(1008), 2);
    EXPECT_EQ(Text(1021), "1600");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(MeterSetPageTest, aRateChosenDuringTheWriteOfBlockAIsNotFollowedSinceItWasNeverWritten)
{
    main.openPort = [this] { return line.ReopenAt(main.baudPosition == 2 ? 19200 : 38400); };
    page.Start();
    Select(1008, 2);
    Select(1013, 1);
    QTimer::singleShot(0, &page, [this] {
        Select(1008, 3);
        Select(1013, 0);
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
    Select(1008, 2);
    page.SetDlgItemText(1021, "1600");
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
    page.SetDlgItemText(1002, "7");
    page.Set();

    EXPECT_EQ(main.slaveIdText, "7");
    EXPECT_EQ(main.portOpens, 0);
    EXPECT_EQ(line.Meter().SlaveAddress(), 7);
    EXPECT_EQ(Text(1021), "3200");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(MeterSetPageTest, aRefusedBlockAIsReportedAndNotFollowedAndNothingElseIsWritten)
{
    page.Start();
    page.SetDlgItemText(1002, "0"); // the meter refuses address 0 with an exception reply
    Select(1008, 2);
    page.SetDlgItemText(1021, "1600");
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
    page.SetDlgItemText(1002, "7");
    line.Server().Faults().FailNext(FaultMode::BadCrc, 1);
    page.Set();

    EXPECT_EQ(main.slaveIdText, "7");
    EXPECT_EQ(line.Meter().SlaveAddress(), 7);
    EXPECT_EQ(line.Requests(16).back().info.slave, 7);
    EXPECT_TRUE(boxes.messages.empty());

    page.SetDlgItemText(1002, "9");
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
    EXPECT_EQ(Text(1004), "0");
}

TEST_F(MeterSetPageTest, silentMeterOnSetWritesNoBlockBAndReloadsNothing)
{
    page.Start();
    page.SetDlgItemText(1004, "300");
    line.Silence();
    line.ClearRequests();
    page.Set();

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(line.Requests().size(), 1u);
    EXPECT_EQ(Text(1004), "300");
}

TEST_F(MeterSetPageTest, badFieldIsReportedOnceAndNothingIsWrittenSoEveryEntryStays)
{
    page.Start();
    page.SetDlgItemText(1016, "5000");
    page.SetDlgItemText(1004, "12a");
    page.SetDlgItemText(1006, "x");
    line.ClearRequests();
    page.Set();

    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, kNotAWholeNumber);
    EXPECT_TRUE(line.Requests().empty());
    EXPECT_EQ(Text(1016), "5000");
    EXPECT_EQ(Text(1004), "12a");
    EXPECT_EQ(Text(1006), "x");
    EXPECT_EQ(main.portOpens, 0);
}
