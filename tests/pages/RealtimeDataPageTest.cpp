#include "pages/RealtimeDataPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "comm/SerialPort.h"
#include "comm/Transaction.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"
#include "widgets/IndicatorLamp.h"

#include <gtest/gtest.h>

namespace {
using RealtimeDataIds::kReceiveLamp;
using RealtimeDataIds::kSendLamp;

class RealtimeDataPageTest : public PageFixture<CRealtimeDataPage>
{
protected:
    void SetUp() override
    {
        CurrentPage = 100;
        Modbus::ForgetRatios();
        SetRatios(1, 1);
        page.Create();
    }

    // CT primary over a secondary of 1, PT primary over a secondary of 1.
    void SetRatios(int ct, int pt) { PageFixture::SetRatios(ct, 1, pt, 1); }

    int LampState(int id) const { return page.DlgItem<CIndicatorLamp>(id)->State(); }
};
} // namespace

TEST_F(RealtimeDataPageTest, gridHoldsHeadingsNumbersItemsAndUnitsWithEmptyValuesAndGreyLamps)
{
    EXPECT_EQ(Cell(0, 0), "NO");
    EXPECT_EQ(Cell(0, 6), "Data");
    EXPECT_EQ(Cell(25, 0), "25");
    EXPECT_EQ(Cell(25, 4), "50");
    EXPECT_EQ(Cell(4, 1), "Unbalance rate of Phase voltage");
    EXPECT_EQ(Cell(4, 3), "%");
    EXPECT_EQ(Cell(22, 1), "Qa");
    EXPECT_EQ(Cell(22, 3), "Var");
    EXPECT_EQ(Cell(9, 5), "F");
    EXPECT_EQ(Cell(9, 7), "Hz");
    EXPECT_EQ(Cell(8, 7), "");
    EXPECT_EQ(Cell(11, 5), "Relay Status");
    EXPECT_EQ(Cell(12, 4), "37");
    EXPECT_EQ(Cell(12, 5), "");
    EXPECT_EQ(Cell(26, 0), "");
    EXPECT_EQ(Cell(1, 2), "");
    const auto* lamp = page.DlgItem<CIndicatorLamp>(kSendLamp);
    EXPECT_EQ(lamp->State(), 2);
    EXPECT_EQ(lamp->ColourOffset(), 32);
    EXPECT_EQ(lamp->ShapeOffset(), 48);
    EXPECT_EQ(LampState(kReceiveLamp), 2);
    EXPECT_FALSE(page.IsTimerRunning(1));
}

TEST_F(RealtimeDataPageTest, pollShowsSignedUnsignedAnd32BitValuesInTheirFormats)
{
    line.Set(100, 22000);
    line.Set(103, 25);
    line.Set(108, 25);
    line.Set(114, 25);
    line.Set(117, 0xFF38);
    line.Set(118, 0);
    line.Set(119, 0xFF38);
    line.Set(120, {0x0000, 0xFFFF});
    line.Set(127, 65535);
    line.Set(132, 0xFC18);
    line.Set(136, 5000);
    line.Set(137, 0x8001);
    page.Start();
    page.Poll();

    EXPECT_EQ(Cell(1, 2), "220.000");
    EXPECT_EQ(Cell(4, 2), "2.5 ");
    EXPECT_EQ(Cell(9, 2), "2.5");
    EXPECT_EQ(Cell(15, 2), "2.5");
    EXPECT_EQ(Cell(18, 2), "-20.000");
    EXPECT_EQ(Cell(20, 2), "-20.00");
    EXPECT_EQ(Cell(21, 2), "-6553.60");
    EXPECT_EQ(Cell(19, 2), "0.000");
    EXPECT_EQ(Cell(1, 6), "6553.50");
    EXPECT_EQ(Cell(5, 6), "-1.000");
    EXPECT_EQ(Cell(9, 6), "50.00");
    EXPECT_EQ(Cell(10, 6), "32769");
    EXPECT_EQ(Cell(12, 6), "");
}

TEST_F(RealtimeDataPageTest, pollScalesVoltagesByPtCurrentsByCtAndPowersByBoth)
{
    line.Set(100, 22000);
    line.Set(111, 5000);
    line.Set(117, 0xFF38);
    SetRatios(20, 100);
    page.Start();
    page.Poll();

    EXPECT_EQ(Cell(1, 2), "22000.000");
    EXPECT_EQ(Cell(12, 2), "100.000");
    EXPECT_EQ(Cell(18, 2), "-40000.000");
}

TEST_F(RealtimeDataPageTest, pollTakesTheSlaveIdFromThePanelAndReadsRatiosThenRegisters100To138)
{
    line.Meter().SetSlaveAddress(7);
    main.slaveIdText = QStringLiteral("7 meters");
    line.Set(100, 23000);
    page.Start();
    page.Poll();

    const auto reads = line.Requests(3);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].info.address, 1000);
    EXPECT_EQ(reads[0].info.count, 5);
    EXPECT_EQ(reads[1].info.address, 100);
    EXPECT_EQ(reads[1].info.count, 39);
    EXPECT_EQ(SlaveId, 7);
    EXPECT_EQ(Cell(1, 2), "230.000");
}

TEST_F(RealtimeDataPageTest, lampsAlternateWithThePollCountWhichAlsoCountsFailedPolls)
{
    page.Start();
    page.Poll();
    EXPECT_EQ(LampState(kSendLamp), 0);
    EXPECT_EQ(LampState(kReceiveLamp), 2);
    page.Poll();
    EXPECT_EQ(LampState(kSendLamp), 2);
    EXPECT_EQ(LampState(kReceiveLamp), 0);

    line.Silence();
    page.Poll();
    EXPECT_EQ(LampState(kSendLamp), 2);
    EXPECT_EQ(LampState(kReceiveLamp), 0);

    line.Speak();
    page.Poll();
    EXPECT_EQ(page.PollCount(), 4);
    EXPECT_EQ(LampState(kSendLamp), 2);
    EXPECT_EQ(LampState(kReceiveLamp), 0);
    page.Poll();
    EXPECT_EQ(LampState(kSendLamp), 0);
}

TEST_F(RealtimeDataPageTest, ticksThatAreNoPollsChangeNeitherTheCountNorTheLamps)
{
    CurrentPage = 3;
    page.Start();
    EXPECT_EQ(CurrentPage, 1);
    SerialPort.Close();
    page.Poll();
    CurrentPage = 2;
    ASSERT_TRUE(line.ReopenAt(9600));
    page.Poll();
    EXPECT_TRUE(line.Requests().empty());
    EXPECT_EQ(page.PollCount(), 0);
    EXPECT_EQ(LampState(kSendLamp), 2);
    EXPECT_EQ(LampState(kReceiveLamp), 2);
}
