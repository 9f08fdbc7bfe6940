#include "pages/EnergyPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "resources/ControlIds.h"

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
    // The edit of each counter, in register order.
    using namespace EnergyIds;
    const int edits[] = {kImportActiveEdit,      kImportReactiveEdit,    kExportActiveEdit,
                         kExportReactiveEdit,    kQuadrant1ActiveEdit,   kQuadrant2ActiveEdit,
                         kQuadrant3ActiveEdit,   kQuadrant4ActiveEdit,   kQuadrant1ReactiveEdit,
                         kQuadrant2ReactiveEdit, kQuadrant3ReactiveEdit, kQuadrant4ReactiveEdit};
    EXPECT_EQ(Text(edits[0]), "429496729.5");
    EXPECT_EQ(Text(edits[1]), "12345.6");
    for (int k = 2; k < 12; ++k)
        EXPECT_EQ(Text(edits[k]), QString::asprintf("%d.1", k)) << k;
}

TEST_F(EnergyPageTest, silentMeterChangesNothingAndShowsNothing)
{
    SetCounter(0, 50);
    page.Poll();
    SetCounter(0, 70);
    line.Silence();
    page.Poll();

    EXPECT_EQ(Text(EnergyIds::kImportActiveEdit), "5.0");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(EnergyPageTest, clearRestartsThePollEvenWhenItFails)
{
    SlaveId = 1;
    SetCounter(0, 500);
    page.Clear();
    EXPECT_TRUE(page.IsTimerRunning(1));
    page.Poll();
    EXPECT_EQ(Text(EnergyIds::kImportActiveEdit), "0.0");

    page.KillTimer(1);
    line.Silence();
    page.Clear();
    EXPECT_TRUE(page.IsTimerRunning(1));
}
