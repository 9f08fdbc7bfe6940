#include "pages/DemandPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <gtest/gtest.h>

namespace {
class DemandPageTest : public PageFixture<CDemandPage>
{
protected:
    void SetUp() override
    {
        CurrentPage = CDemandPage::kPageNumber;
        SetRatios(1, 1, 1, 1);
        page.Create();
    }
};

// Registers 300 to 325: present demands, then each maximum followed by its time stamp.
const std::vector<uint16_t> kDemands = {
    1234,   12345,  0,      0xFFEC, 0xFFFF, 0xFFFF, 0xFFFF, // present I, P, Q = -20, S = -1
    5000,   0x0907, 0x0E08, 0x0509,                         // maximum I and its time
    100,    0,      0,      0,      0,                      // maximum P, time all zero
    0x1170, 1,      0x0A0C, 0x1F17, 0x3B3B,                 // maximum Q = 70000
    3,      0,      0x0101, 0x0100, 0x0000,                 // maximum S
};
} // namespace

TEST_F(DemandPageTest, gridHoldsTheHeadingsItemsAndUnitsInTheirRows)
{
    EXPECT_EQ(Cell(0, 4), "Time");
    EXPECT_EQ(Cell(1, 0), "Realtime Data");
    EXPECT_EQ(Cell(2, 1), "Average Current");
    EXPECT_EQ(Cell(4, 3), "var");
    EXPECT_EQ(Cell(6, 0), "Max record");
    EXPECT_EQ(Cell(10, 0), "4");
    EXPECT_EQ(Cell(10, 1), "S");
    EXPECT_EQ(Cell(10, 3), "VA");
    EXPECT_EQ(page.DlgItem<CGridCtrl>(kPageGridId)->RowTotal(), 27);
}

TEST_F(DemandPageTest, pollShowsTheTwelveValuesAndTimeStampsInTheirRows)
{
    line.Set(300, kDemands);
    page.Poll();

    EXPECT_EQ(Cell(2, 2), "1.234");
    EXPECT_EQ(Cell(3, 2), "1234.5");
    EXPECT_EQ(Cell(4, 2), "-2.0");
    EXPECT_EQ(Cell(5, 2), "-0.1");
    EXPECT_EQ(Cell(7, 2), "5.000");
    EXPECT_EQ(Cell(7, 4), "2009-7-14 8:5:9");
    EXPECT_EQ(Cell(8, 2), "10.0");
    EXPECT_EQ(Cell(8, 4), "2000-0-0 0:0:0");
    EXPECT_EQ(Cell(9, 2), "7000.0");
    EXPECT_EQ(Cell(9, 4), "2010-12-31 23:59:59");
    EXPECT_EQ(Cell(10, 2), "0.3");
    EXPECT_EQ(Cell(10, 4), "2001-1-1 0:0:0");
    EXPECT_EQ(Cell(2, 4), "");
    EXPECT_EQ(Cell(11, 2), "");
}

TEST_F(DemandPageTest, pollScalesCurrentsByTheCtRatioAndPowersByBothRatios)
{
    SetRatios(100, 5, 10000, 100);
    line.Set(300, kDemands);
    page.Poll();

    EXPECT_EQ(CtRatio, 20);
    EXPECT_EQ(PtRatio, 100);
    EXPECT_EQ(Cell(2, 2), "24.680");
    EXPECT_EQ(Cell(3, 2), "2469000.0");
    EXPECT_EQ(Cell(9, 2), "14000000.0");
}

TEST_F(DemandPageTest, silentMeterLeavesTheTableAsItWasWithoutAMessage)
{
    line.Set(300, kDemands);
    page.Poll();
    line.Silence();
    for (int tick = 0; tick < 8; ++tick)
        page.Poll();

    EXPECT_EQ(Cell(5, 2), "-0.1");
    EXPECT_EQ(Cell(7, 4), "2009-7-14 8:5:9");
    EXPECT_TRUE(boxes.messages.empty());
}
