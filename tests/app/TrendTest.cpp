#include "MainWindowFixture.h"
#include "WaitUntil.h"
#include "app/TrendWindow.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"
#include "widgets/TrendSeries.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// The main window on the realtime page, polling the simulated meter.
class TrendTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        Visit(1);
        ASSERT_TRUE(WaitUntil([&] { return !Grid(1).CellText(1, 2).isEmpty(); }));
    }

    CGridCtrl& Grid(int page) { return *main.Page(page)->DlgItem<CGridCtrl>(kPageGridId); }

    // Ctrl+T on the grid cell, as a user asks for a trend from the keyboard.
    void AskTrendWithKeys(int page, int row, int column)
    {
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
        CGridCtrl& grid = Grid(page);
        grid.setFocus();
        grid.MoveFocusTo(row, column);
        QTest::keyClick(&grid, Qt::Key_T, Qt::ControlModifier);
    }

    bool Grows(const TrendSeries& series)
    {
        const std::size_t before = series.Size();
        return WaitUntil([&] { return series.Size() >= before + 2; });
    }
};
} // namespace

TEST_F(TrendTest, aTrendTakesEachPollOfItsValueAndGoesOnAfterAPageSwitch)
{
    AskTrendWithKeys(1, 1, 2);
    ASSERT_NE(main.Trend(), nullptr);
    EXPECT_TRUE(main.Trend()->isVisible());
    const TrendSeries* ua = main.Trend()->Series(1, QStringLiteral("Ua"));
    ASSERT_NE(ua, nullptr);
    EXPECT_EQ(ua->Unit(), QStringLiteral("V"));
    ASSERT_TRUE(Grows(*ua));
    EXPECT_NEAR(ua->At(ua->Size() - 1).value, Grid(1).CellText(1, 2).toDouble(), 0.0005);

    Visit(2);
    ASSERT_TRUE(WaitUntil([&] { return !Grid(2).CellText(1, 2).isEmpty(); }));
    const std::size_t whileAway = ua->Size();
    ASSERT_TRUE(WaitUntil([&] { return Grid(2).CellText(7, 2) != QString(); }));
    EXPECT_EQ(ua->Size(), whileAway); // the realtime page does not poll while another is shown
    Visit(1);
    EXPECT_EQ(main.Trend()->Series(1, QStringLiteral("Ua")), ua);
    EXPECT_TRUE(Grows(*ua));
    EXPECT_TRUE(main.Trend()->StatsText().startsWith(QStringLiteral("Ua: min ")));
}

TEST_F(TrendTest, aSecondUnitGetsItsAxisAThirdIsRefusedAndTheSpanSavesAsCsvAndPng)
{
    main.ShowTrend(1, {"Ua", "V", 0});
    main.ShowTrend(1, {"Ia", "A", 0});
    EXPECT_TRUE(messages.messages.empty());
    main.ShowTrend(1, {"P", "W", 0});
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(main.Trend()->Series(1, QStringLiteral("P")), nullptr);
    const TrendSeries& ia = *main.Trend()->Series(1, QStringLiteral("Ia"));
    ASSERT_TRUE(Grows(ia));

    QTemporaryDir folder;
    const QString csvPath = folder.filePath(QStringLiteral("trend.csv"));
    ASSERT_TRUE(main.Trend()->SaveCsv(csvPath));
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(csv.readAll()).trimmed().split(QLatin1Char('\n'));
    EXPECT_EQ(rows[0], QStringLiteral("time,Ua (V),Ia (A)"));
    // Both values come from the same polls: one row each, no empty cells.
    EXPECT_GE(rows.size(), 3);
    EXPECT_FALSE(rows.back().contains(QLatin1String(",,")));
    EXPECT_FALSE(rows.back().endsWith(QLatin1Char(',')));
    const QString pngPath = folder.filePath(QStringLiteral("trend.png"));
    ASSERT_TRUE(main.Trend()->SavePicture(pngPath));
    EXPECT_FALSE(QImage(pngPath).isNull());
}

TEST(TrendSeriesTest, keepsTheNewestPointsInOrderAndSumsUpASpan)
{
    TrendSeries series(QStringLiteral("Ua"), QStringLiteral("V"), 4);
    for (int i = 0; i < 6; ++i)
        series.Add(1000 * i, 10.0 + i);
    ASSERT_EQ(series.Size(), 4u);
    EXPECT_EQ(series.At(0).timeMs, 2000);
    EXPECT_EQ(series.At(3).value, 15.0);
    series.Add(4500, 1.0); // the clock was set back
    EXPECT_EQ(series.At(3).timeMs, 5000);
    EXPECT_EQ(series.FirstAtOrAfter(3500), 1u);
    const auto stats = series.Stats(3000, 4000);
    ASSERT_TRUE(stats.has_value());
    EXPECT_EQ(stats->count, 2u);
    EXPECT_EQ(stats->min, 13.0);
    EXPECT_EQ(stats->max, 14.0);
    EXPECT_EQ(stats->mean, 13.5);
    EXPECT_FALSE(series.Stats(6000, 7000).has_value());
}
