#include "pages/HarmonicPage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <QAbstractButton>
#include <gtest/gtest.h>

namespace {
// Positions in HarmonicIds::kChannelButtons.
enum ChannelIndex
{
    kIa,
    kIb,
    kIc,
    kUa,
    kUb,
    kUc
};
struct ChannelButton
{
    ChannelIndex channel;
    const char* name;
    bool current;
};
constexpr ChannelButton kButtons[] = {
    {kIa, "Ia", true},  {kIb, "Ib", true},  {kIc, "Ic", true},
    {kUa, "Ua", false}, {kUb, "Ub", false}, {kUc, "Uc", false},
};

class HarmonicPageTest : public PageFixture<CHarmonicPage>
{
protected:
    void SetUp() override
    {
        CurrentPage = CHarmonicPage::kPageNumber;
        SlaveId = 1;
        page.Create();
    }

    // Table index k (register 400 + k) holds 1000 + k, so every value tells its index.
    void FillTableWithIndices()
    {
        std::vector<uint16_t> table(189);
        for (int k = 0; k < 189; ++k)
            table[k] = uint16_t(1000 + k);
        line.Set(400, table);
    }
    // The value text of table index k as filled above.
    static QString ValueOfIndex(int k) { return QString::asprintf("%.1f", (1000 + k) / 10.0); }

    void Press(ChannelIndex channel)
    {
        page.DlgItem<QAbstractButton>(HarmonicIds::kChannelButtons[channel])->click();
    }
    QString Cell(int row, int column) const { return Grid().CellText(row, column); }
    CGridCtrl& Grid() const { return *page.DlgItem<CGridCtrl>(kPageGridId); }
};
} // namespace

TEST_F(HarmonicPageTest, everyChannelButtonLabelsOrdersTwoTo31WithTheirOrdinalsAndKOnlyForCurrents)
{
    for (const ChannelButton& button : kButtons) {
        Press(button.channel);
        const QString name = QString::fromLatin1(button.name);
        SCOPED_TRACE(button.name);
        EXPECT_EQ(Cell(0, 2), "Data(%)");
        EXPECT_EQ(Cell(1, 1), name + "-THD");
        EXPECT_EQ(Cell(2, 1), name + " 2nd Harmonic");
        EXPECT_EQ(Cell(3, 1), name + " 3rd Harmonic");
        EXPECT_EQ(Cell(4, 1), name + " 4th Harmonic");
        EXPECT_EQ(Cell(11, 1), name + " 11th Harmonic");
        EXPECT_EQ(Cell(12, 1), name + " 12th Harmonic");
        EXPECT_EQ(Cell(13, 1), name + " 13th Harmonic");
        EXPECT_EQ(Cell(21, 1), name + " 21st Harmonic");
        EXPECT_EQ(Cell(22, 1), name + " 22nd Harmonic");
        EXPECT_EQ(Cell(23, 1), name + " 23rd Harmonic");
        EXPECT_EQ(Cell(24, 0), "24");
        EXPECT_EQ(Cell(24, 1), name + " 24th Harmonic");
        EXPECT_EQ(Cell(1, 3), "25");
        EXPECT_EQ(Cell(1, 4), name + " 25th Harmonic");
        EXPECT_EQ(Cell(7, 3), "31");
        EXPECT_EQ(Cell(7, 4), name + " 31st Harmonic");
        EXPECT_EQ(Cell(8, 3), button.current ? "32" : "");
        EXPECT_EQ(Cell(8, 4), button.current ? name + "-K" : "");
        EXPECT_EQ(Cell(25, 0), "");
        EXPECT_EQ(Grid().RowTotal(), 26);
        EXPECT_EQ(Grid().ColumnTotal(), 6);
        EXPECT_TRUE(page.IsTimerRunning(1));
    }
    EXPECT_EQ(page.ChannelCode(), 6);
}

TEST_F(HarmonicPageTest, showingThePageSelectsIaAndSwitchingToUaRemovesTheKRowAndTheValues)
{
    line.Set(406, 7);
    line.Set(403, 35);
    page.Start();
    EXPECT_EQ(page.ChannelCode(), 1);
    page.Poll();
    EXPECT_EQ(Cell(1, 2), "3.5");
    EXPECT_EQ(Cell(8, 5), "7");

    Press(kUa);
    EXPECT_EQ(page.ChannelCode(), 4);
    EXPECT_EQ(Cell(1, 1), "Ua-THD");
    EXPECT_EQ(Cell(1, 2), "");
    EXPECT_EQ(Cell(8, 3), "");
    EXPECT_EQ(Cell(8, 4), "");
    EXPECT_EQ(Cell(8, 5), "");
    page.Poll();
    EXPECT_EQ(Cell(8, 5), "");
}

TEST_F(HarmonicPageTest, pollReadsTheWholeTableInNineBlocksSoTheHighestOrdersShowTheirValues)
{
    FillTableWithIndices();
    Press(kIa);
    page.Poll();

    const auto reads = line.Requests(3);
    ASSERT_EQ(reads.size(), 9u);
    for (int block = 0; block < 9; ++block) {
        EXPECT_EQ(reads[block].info.address, 400 + 21 * block);
        EXPECT_EQ(reads[block].info.count, 21);
    }
    EXPECT_EQ(Cell(1, 2), ValueOfIndex(3));
    EXPECT_EQ(Cell(2, 2), ValueOfIndex(12));
    EXPECT_EQ(Cell(21, 2), ValueOfIndex(126));
    EXPECT_EQ(Cell(24, 2), ValueOfIndex(144));
    EXPECT_EQ(Cell(7, 5), ValueOfIndex(186));
    EXPECT_EQ(Cell(8, 5), "1006");
    EXPECT_TRUE(page.IsTimerRunning(1));
}

TEST_F(HarmonicPageTest, eachChannelTakesItsOwnColumnOfTheIndexMap)
{
    FillTableWithIndices();
    struct Expected
    {
        ChannelIndex button;
        int thd, order2, order31;
    };
    const Expected channels[] = {
        {kIb, 4, 13, 187}, {kIc, 5, 14, 188}, {kUa, 0, 9, 183}, {kUb, 1, 10, 184}, {kUc, 2, 11, 185}};
    for (const Expected& channel : channels) {
        Press(channel.button);
        page.Poll();
        SCOPED_TRACE(channel.button);
        EXPECT_EQ(Cell(1, 2), ValueOfIndex(channel.thd));
        EXPECT_EQ(Cell(2, 2), ValueOfIndex(channel.order2));
        EXPECT_EQ(Cell(7, 5), ValueOfIndex(channel.order31));
    }
}

TEST_F(HarmonicPageTest, aBlockThatFailsTwiceAndThenPassesGivesANormalRefresh)
{
    line.Set(403, 35);
    Press(kIa);
    line.Server().Faults().FailNext(FaultMode::NoReply, 2);
    page.Poll();

    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(line.Requests(3).size(), 11u);
    EXPECT_EQ(Cell(1, 2), "3.5");
    EXPECT_TRUE(page.IsTimerRunning(1));
}

TEST_F(HarmonicPageTest, threeFailuresOfABlockStopPollingWithANoticeAndKeepTheTexts)
{
    line.Set(403, 35);
    Press(kIa);
    page.Poll();
    line.Set(403, 99);
    line.ClearRequests();
    line.Silence();

    page.Poll();
    EXPECT_EQ(line.Requests(3).size(), 3u);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Communication Fail");
    EXPECT_EQ(boxes.messages[0].caption, "Notice");
    EXPECT_EQ(boxes.messages[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(page.IsTimerRunning(1));
    EXPECT_EQ(Cell(1, 2), "3.5");

    line.Speak();
    Press(kIc);
    EXPECT_TRUE(page.IsTimerRunning(1));
}
