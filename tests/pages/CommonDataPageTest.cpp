#include "pages/CommonDataPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "widgets/GridCtrl.h"

#include <gtest/gtest.h>

namespace {
class CommonDataPageTest : public PageFixture<CCommonDataPage>
{
protected:
    void SetUp() override
    {
        CurrentPage = CCommonDataPage::kPageNumber;
        Modbus::ForgetRatios();
        SetRatios(1, 1, 1, 1);
        page.Create();
    }
};
} // namespace

TEST_F(CommonDataPageTest, theThirtyFiveValuesLandInTheirRowsBesideTheirItemsAndUnits)
{
    // Register k holds k + 1, so every value tells where it came from.
    std::vector<uint16_t> registers(45);
    for (int k = 0; k < 45; ++k)
        registers[k] = uint16_t(k + 1);
    line.Set(0, registers);
    page.Poll();

    const char* const left[] = {"0.010",     "0.020", "0.030", "0.040",     "0.050",     "0.060",
                                "0.007",     "0.008", "0.009", "0.010",     "78644.30",  "91751.70",
                                "104859.10", "0.02",  "0.18",  "131073.90", "144181.30", "157288.70",
                                "170396.10", "27",    "28"};
    const char* const right[] = {"2.900", "3.000", "3.100", "3.200",    "3.300",    "3.400",    "35",
                                 "36",    "37",    "0.038", "262147.9", "275255.3", "288362.7", "45"};
    for (int row = 1; row <= 21; ++row)
        EXPECT_EQ(Cell(row, 2), left[row - 1]) << "left row " << row;
    for (int row = 1; row <= 14; ++row)
        EXPECT_EQ(Cell(row, 6), right[row - 1]) << "right row " << row;
    EXPECT_EQ(Cell(15, 6), "");
    EXPECT_EQ(Cell(22, 2), "");

    EXPECT_EQ(Cell(21, 0), "21");
    EXPECT_EQ(Cell(21, 4), "42");
    EXPECT_EQ(Cell(18, 1), "Eport Active Power");
    EXPECT_EQ(Cell(17, 3), "KVarh");
    EXPECT_EQ(Cell(14, 3), " ");
    EXPECT_EQ(Cell(13, 5), "Apparent Power Demand");
    EXPECT_EQ(Cell(1, 5), "Ua/Uab - THD");
    EXPECT_EQ(Cell(7, 7), "");
}

TEST_F(CommonDataPageTest, beforeThisMetersRatiosAreReadAPollShowsNothingAndCountsAsFailed)
{
    line.Set(0, 22000);
    line.Set(10, {0xFFFF, 0xFFFF});
    line.Server().Faults().FailNext(FaultMode::NoReply, 1);
    page.Poll();
    EXPECT_EQ(CtRatio, 0);
    EXPECT_EQ(Cell(1, 2), "");
    EXPECT_EQ(Cell(11, 2), "");
    EXPECT_EQ(page.FailureCount(), 1);

    page.Poll();
    EXPECT_EQ(Cell(1, 2), "220.000");
    EXPECT_EQ(Cell(11, 2), "-0.10");
    EXPECT_EQ(page.FailureCount(), 0);

    // Another meter in the ID box (silent here) is not scaled by the first one's ratios.
    main.slaveIdText = QStringLiteral("2");
    page.Poll();
    EXPECT_EQ(CtRatio, 0);
    EXPECT_EQ(page.FailureCount(), 1);
}

TEST_F(CommonDataPageTest, ratioRefreshTruncatesAndKeepsThePreviousRatiosWhenItFailsOrASecondaryIsZero)
{
    line.Set(6, 1000);
    SetRatios(100, 5, 1, 1);
    page.Poll();
    EXPECT_EQ(CtRatio, 20);
    EXPECT_EQ(Cell(7, 2), "20.000");

    SetRatios(100, 3, 10000, 100);
    page.Poll();
    EXPECT_EQ(CtRatio, 33);
    EXPECT_EQ(PtRatio, 100);
    EXPECT_EQ(Cell(7, 2), "33.000");

    SetRatios(100, 0, 10000, 0);
    page.Poll();
    EXPECT_EQ(CtRatio, 33);
    EXPECT_EQ(PtRatio, 100);

    SetRatios(100, 1, 1, 1);
    line.Set(6, 2000);
    line.Server().Faults().FailNext(FaultMode::BadCrc, 1);
    page.Poll();
    EXPECT_EQ(CtRatio, 33);
    EXPECT_EQ(Cell(7, 2), "66.000");
    EXPECT_EQ(page.FailureCount(), 0);
}
