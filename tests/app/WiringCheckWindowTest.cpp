#include "MainWindowFixture.h"
#include "WaitUntil.h"
#include "app/WiringCheckWindow.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class WiringCheckWindowTest : public MainWindowFixture
{
};
} // namespace

// F9 opens the check on the meter of the panel while the realtime page polls it, the port
// opened as a navigation step would; the findings, the text and the picture follow.
TEST_F(WiringCheckWindowTest, f9ChecksThePanelsMeterBetweenThePollsAndSavesWhatItFound)
{
    SitePlan plan;
    plan.powerFactor = PerPhase{0.9, 0.9, 0.9};
    plan.loadShare = PerPhase{0.6, 0.6, 0.6};
    line.Meter().SetSite(plan, *ConnectionNamed("ct-reversed:B"));
    Visit(1);
    QTest::keyClick(&main, Qt::Key_F9);
    ASSERT_NE(main.WiringCheck(), nullptr);
    CWiringCheckWindow& window = *main.WiringCheck();
    ASSERT_TRUE(WaitUntil([&] { return window.Result().has_value(); }, 10000)) << window.Status().toStdString();
    EXPECT_TRUE(window.Result()->HasFault());
    EXPECT_TRUE(window.Status().contains(QLatin1String("a fault found"))) << window.Status().toStdString();

    QTemporaryDir dir;
    ASSERT_TRUE(window.SaveText(dir.filePath("check.txt")));
    QFile text(dir.filePath("check.txt"));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(text.readAll().contains("FAULT ct-polarity       B"));
    ASSERT_TRUE(window.SavePicture(dir.filePath("phasors.png")));
    EXPECT_FALSE(QImage(dir.filePath("phasors.png")).isNull());
    EXPECT_LE(window.width(), 1366);
    EXPECT_LE(window.height(), 768);
    EXPECT_TRUE(messages.messages.empty());
}
