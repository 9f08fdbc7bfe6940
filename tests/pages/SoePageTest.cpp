#include "pages/SoePage.h"

#include "PageFixture.h"
#include "comm/ModbusRtu.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {
class SoePageTest : public PageFixture<CSoePage>
{
protected:
    void SetUp() override
    {
        SlaveId = 1;
        CurrentPage = 9;
        line.Set(710, std::vector<uint16_t>(200, 0));
        page.Create();
    }

    // Record i as the meter stores it: event word, milliseconds, seconds low and high word.
    void SetRecord(int i, uint16_t eventWord, uint16_t ms, uint16_t low, uint16_t high)
    {
        line.Set(710 + 4 * i, {eventWord, ms, low, high});
    }

    QString Cell(int row, int column) const { return Grid().CellText(row, column); }
    CGridCtrl& Grid() const { return *page.DlgItem<CGridCtrl>(kPageGridId); }
};

// 1247567109 seconds since 1970 is 2009-07-14 10:25:09 UTC.
constexpr uint16_t kLow = 0x5D05;
constexpr uint16_t kHigh = 0x4A5C;
} // namespace

TEST_F(SoePageTest, recordsShowInputStateAndTimeUnderTheirNumbers)
{
    SetRecord(0, 0x0103, 250, kLow, kHigh);
    SetRecord(1, 0x0003, 65535, kLow, kHigh);
    SetRecord(2, 0x0100, 5, 0, 32768);
    SetRecord(3, 0, 250, kLow, kHigh);
    SetRecord(4, 0x080F, 1, 0, 0);
    SetRecord(49, 0x0009, 999, kLow, kHigh);
    page.ReadEvents();

    EXPECT_EQ(Cell(0, 3), "Time");
    EXPECT_EQ(Cell(1, 0), "1");
    EXPECT_EQ(Cell(1, 1), "S3");
    EXPECT_EQ(Cell(1, 2), "close");
    EXPECT_EQ(Cell(1, 3), "2009-07-14 10:25:09          250ms");
    EXPECT_EQ(Cell(2, 1), "S3");
    EXPECT_EQ(Cell(2, 2), "open");
    EXPECT_EQ(Cell(2, 3), "");
    EXPECT_EQ(Cell(3, 1), "");
    EXPECT_EQ(Cell(3, 2), "close");
    EXPECT_EQ(Cell(3, 3), "1970-01-01 00:00:00          5ms");
    EXPECT_EQ(Cell(4, 0), "4");
    EXPECT_EQ(Cell(4, 2), "");
    EXPECT_EQ(Cell(4, 3), "");
    EXPECT_EQ(Cell(5, 1), "");
    EXPECT_EQ(Cell(5, 2), "close");
    EXPECT_EQ(Cell(50, 0), "50");
    EXPECT_EQ(Cell(50, 1), "");
    EXPECT_EQ(Cell(50, 3), "2009-07-14 10:25:09          999ms");
    EXPECT_EQ(Cell(51, 0), "");
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(SoePageTest, readAsksForFiveBlocksOfFortyRecordsRegisters)
{
    page.Start();
    const auto reads = line.Requests(3);
    ASSERT_EQ(reads.size(), 5u);
    for (int block = 0; block < 5; ++block) {
        EXPECT_EQ(reads[block].info.address, 710 + 40 * block);
        EXPECT_EQ(reads[block].info.count, 40);
    }
}

TEST_F(SoePageTest, threeFailuresOfABlockLeaveOnlyTheHeadingRowWithANotice)
{
    SetRecord(0, 0x0103, 250, kLow, kHigh);
    page.ReadEvents();
    ASSERT_EQ(Cell(1, 1), "S3");
    line.ClearRequests();
    line.Silence();

    page.ReadEvents();
    EXPECT_EQ(line.Requests(3).size(), 3u);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "Communication Fail");
    EXPECT_EQ(boxes.messages[0].caption, "Notice");
    EXPECT_EQ(boxes.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(Cell(0, 1), "Event Type");
    EXPECT_EQ(Cell(1, 0), "");
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(Grid().RowTotal(), 100);
}

TEST_F(SoePageTest, aBlockThatFailsTwiceAndThenPassesIsListed)
{
    SetRecord(12, 0x0105, 250, kLow, kHigh);
    line.Server().Faults().FailNext(FaultMode::NoReply, 2);
    page.ReadEvents();
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(Cell(13, 1), "S5");
    EXPECT_EQ(line.Requests(3).size(), 7u);
}

TEST_F(SoePageTest, meterDateShowsTheClockWithFullWidthColonsAndKeepsItWhenSilent)
{
    line.Set(700, {9, 7, 14, 8, 5, 9});
    page.ShowMeterClock();
    EXPECT_EQ(page.GetDlgItemText(SoeIds::kClockEdit), QString::fromUtf8("2009-7-14 08：05：09"));

    line.Silence();
    page.ShowMeterClock();
    EXPECT_EQ(page.GetDlgItemText(SoeIds::kClockEdit), QString::fromUtf8("2009-7-14 08：05：09"));
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(SoePageTest, timingWritesTheLocalClockAndShowsWhatTheMeterThenReports)
{
    auto registersOf = [](const QDateTime& t) {
        return std::vector<uint16_t>{uint16_t(t.date().year() - 2000), uint16_t(t.date().month()),
                                     uint16_t(t.date().day()),         uint16_t(t.time().hour()),
                                     uint16_t(t.time().minute()),      uint16_t(t.time().second())};
    };
    const QDateTime before = QDateTime::currentDateTime();
    page.SetMeterClock();
    const QDateTime after = QDateTime::currentDateTime();

    const auto requests = line.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].info.function, 16);
    EXPECT_EQ(requests[0].info.address, 700);
    const std::vector<uint16_t> written = requests[0].info.values;
    EXPECT_TRUE(written == registersOf(before) || written == registersOf(after));
    EXPECT_EQ(requests[1].info.function, 3);
    EXPECT_EQ(requests[1].info.address, 700);
    EXPECT_EQ(requests[1].info.count, 6);
    const std::vector<uint16_t> clock = line.Meter().Registers(700, 6);
    EXPECT_EQ(page.GetDlgItemText(SoeIds::kClockEdit),
              QString::asprintf("%d-%d-%d %02d\uFF1A%02d\uFF1A%02d", clock[0] + 2000, clock[1], clock[2],
                                clock[3], clock[4], clock[5]));
}
