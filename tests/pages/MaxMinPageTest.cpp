#include "pages/MaxMinPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "widgets/GridCtrl.h"

#include <gtest/gtest.h>

namespace {
class MaxMinPageTest : public PageFixture<CMaxMinPage>
{
protected:
    void SetUp() override
    {
        // Another page is current: the max/min poll runs regardless.
        CurrentPage = 1;
        line.Set(1000, {1, 1, 1, 0, 1});
        page.Create();
    }
};

// Registers 600 to 629: Ia, Ib, Ic, P, Q, S and six THDs, maxima then minima.
const std::vector<uint16_t> kRecords = {
    1000, 1000, 1000, 34464, 1, 0xFFFF, 0xFFFF, 20000, 0, 35, 36, 37, 38, 39, 40,  // maxima
    1,    2,    3,    4,     0, 7,      0,      6,     0, 0,  1,  2,  3,  4,  999, // minima
};
} // namespace

TEST_F(MaxMinPageTest, pollShowsTheTwentyFourRecordsInTheirRows)
{
    line.Set(600, kRecords);
    page.Poll();

    const char* const maxima[] = {"1.000", "1.000", "1.000", "10.000", "-0.000", "2.000",
                                  "0.035", "0.036", "0.037", "0.038",  "0.039",  "0.040"};
    const char* const minima[] = {"0.001", "0.002", "0.003", "0.000", "0.001", "0.001",
                                  "0.000", "0.001", "0.002", "0.003", "0.004", "0.999"};
    for (int row = 1; row <= 12; ++row) {
        EXPECT_EQ(Cell(row, 2), maxima[row - 1]) << "row " << row;
        EXPECT_EQ(Cell(row, 3), minima[row - 1]) << "row " << row;
    }
    EXPECT_EQ(Cell(4, 1), "P");
    EXPECT_EQ(Cell(5, 4), "kVar");
    EXPECT_EQ(Cell(12, 1), "Uc-THD");
    EXPECT_EQ(Cell(13, 2), "");
}

TEST_F(MaxMinPageTest, pollScalesCurrentsAndPowersButNotTheThd)
{
    line.Set(1000, {100, 5, 10000, 0, 100});
    line.Set(600, kRecords);
    page.Poll();

    EXPECT_EQ(Cell(1, 2), "20.000");
    EXPECT_EQ(Cell(4, 2), "20000.000");
    EXPECT_EQ(Cell(7, 2), "0.035");
}
