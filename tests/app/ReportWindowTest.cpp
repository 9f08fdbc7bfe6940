#include "app/ReportWindow.h"
#include "MainWindowFixture.h"
#include "WaitUntil.h"
#include "framework/SaveAs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// The report window of the main window, with the question where to save answered by the test.
class ReportWindowTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        SetSavePathFunction([this](const QString&, const QString& suggested) {
            suggestions << suggested;
            return answer;
        });
    }
    void TearDown() override
    {
        SetSavePathFunction({});
        MainWindowFixture::TearDown();
    }

    bool WaitForStatus(CReportWindow& window, const char* start)
    {
        return WaitUntil([&] { return window.Status().startsWith(QLatin1String(start)); }, 30000);
    }

    QTemporaryDir dir;
    QString answer;
    QStringList suggestions;
};
} // namespace

// The report is read while the realtime page polls, then saved where the user answers, as PDF
// and as HTML beside it; reading again and saving to a folder that is not there names the file.
TEST_F(ReportWindowTest, readsThePanelsMeterBetweenThePollsAndSavesPdfAndHtml)
{
    Visit(1);
    answer = dir.filePath("site.pdf");
    main.ShowReport();
    ASSERT_NE(main.ReportWindow(), nullptr);
    CReportWindow& window = *main.ReportWindow();
    ASSERT_TRUE(WaitForStatus(window, "Written to ")) << window.Status().toStdString();
    EXPECT_TRUE(window.Result()->Missing().isEmpty()) << window.Result()->Missing().join(", ").toStdString();
    ASSERT_EQ(suggestions.size(), 1);
    EXPECT_TRUE(suggestions[0].startsWith(QLatin1String("vemo400-report-address-1-")));
    QFile pdf(answer);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << window.Status().toStdString();
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_TRUE(QFile::exists(dir.filePath("site.html")));
    EXPECT_TRUE(messages.messages.empty());

    answer = dir.filePath("gone/site.pdf");
    main.ShowReport();
    ASSERT_TRUE(WaitUntil([&] { return !messages.messages.empty(); }, 30000))
        << window.Status().toStdString();
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("Can not write %1!").arg(answer));
}

// Cancel calls the reading off after the exchange in flight: no report, no question where to save.
TEST_F(ReportWindowTest, cancelStopsTheReadingAndAsksNothing)
{
    // The reading runs at once when the line is free; the user presses Cancel from the event loop
    // that its waits keep running, once the realtime values are being read.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        CReportWindow* window = main.ReportWindow();
        if (window && window->Status().startsWith(QLatin1String("Reading Realtime")))
            window->Cancel();
    });
    user.start(0);
    main.ShowReport();
    CReportWindow& window = *main.ReportWindow();
    ASSERT_TRUE(WaitForStatus(window, "Cancelled.")) << window.Status().toStdString();
    EXPECT_FALSE(window.Result().has_value());
    EXPECT_TRUE(suggestions.isEmpty());
}
