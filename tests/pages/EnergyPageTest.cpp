#include "pages/EnergyPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"

#include <gtest/gtest.h>

namespace {
class EnergyPageTest : public PageFixture<CEnergyPage>
{
protected:
    void SetUp() override
    {
        CurrentPage = CEnergyPage::kPageNumber;
        page.Create();
    }

    // Counter k (0 to 11) as the meter holds it: two registers from 200 + 2k, low word first.
    void SetCounter(int k, uint32_t value)
    {
        line.Set(200 + 2 * k, {uint16_t(value & 0xFFFF), uint16_t(value >> 16)});
    }

    QString Text(int id) const { return page.GetDlgItemText(id); }
};
} // namespace

TEST_F(EnergyPageTest, pollShowsEachCounterInTenthsInItsOwnEdit)
{
    SetCounter(0, 0xFFFFFFFF);
    SetCounter(1, 123456);
    for (int k = 2; k < 12; ++k)
        SetCounter(k, 10 * k + 1);
    SlaveId = 0;
    page.Poll();

    EXPECT_EQ(SlaveId, 1);
    EXPECT_EQ(Text(1002), "429496729.5"); // import active
    EXPECT_EQ(Text(1016), "12345.6");     // import reactive
    EXPECT_EQ(Text(1004), "2.1");         // export active
    EXPECT_EQ(Text(1005), "3.1");         // export reactive
    EXPECT_EQ(Text(1017), "4.1");         // quadrants 1 to 4, active
    EXPECT_EQ(Text(1019), "5.1");
    EXPECT_EQ(Text(1021), "6.1");
    EXPECT_EQ(Text(1023), "7.1");
    EXPECT_EQ(Text(1018), "8.1"); // quadrants 1 to 4, reactive
    EXPECT_EQ(Text(1020), "9.1");
    EXPECT_EQ(Text(1022), "10.1");
    EXPECT_EQ(Text(1024), "11.1");
}

TEST_F(EnergyPageTest, silentMeterChangesNothingAndShowsNothing)
{
    SetCounter(0, 50);
    page.Poll();
    SetCounter(0, 70);
    line.Silence();
    page.Poll();

    EXPECT_EQ(Text(1002), "5.0");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(EnergyPageTest, clearRestartsThePollEvenWhenItFails)
{
    SlaveId = 1;
    SetCounter(0, 500);
    page.Clear();
    EXPECT_TRUE(page.IsTimerRunning(1));
    page.Poll();
    EXPECT_EQ(Text(1002), "0.0");

    page.KillTimer(1);
    line.Silence();
    page.Clear();
    EXPECT_TRUE(page.IsTimerRunning(1));
}
