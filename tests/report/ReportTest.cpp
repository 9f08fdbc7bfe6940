#include "CliRun.h"
#include "MeterLine.h"
#include "meter/HarmonicTable.h"
#include "meter/PageReads.h"
#include "reading/TextTable.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {
QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct ToolRun
{
    int status = -1;
    QByteArray out;
};

// Runs a program that the tests need from the system, and gives up after timeoutMs.
ToolRun RunTool(const QString& program, const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

class ReportTest : public ::testing::Test
{
protected:
    // Two switch events in the first records, so that the event table has rows.
    void SetUp() override { line.Set(710, {0x0103, 250, 0x6B05, 0x4A5C, 0x0005, 17, 0x6B09, 0x4A5C}); }

    CliRun Report() { return RunCommand(line, {"report", "--out", html, "--json", json, "--pdf", pdf}); }

    QJsonObject Json() const { return QJsonDocument::fromJson(FileBytes(json)).object(); }

    MeterLine line;
    QTemporaryDir dir;
    const QString html = dir.filePath("report.html");
    const QString json = dir.filePath("report.json");
    const QString pdf = dir.filePath("report.pdf");
};

QString ValueCell(const QString& value)
{
    return QStringLiteral(">%1</td>").arg(value.toHtmlEscaped());
}

// The numbers the page's value cells show.
QList<double> CellNumbers(const QString& page)
{
    static const QRegularExpression cell(QStringLiteral(">([^<>]*)</td>"));
    QList<double> numbers;
    for (const QRegularExpressionMatch& match : cell.globalMatch(page))
        if (const std::optional<double> number = NumberIn(match.captured(1)))
            numbers << *number;
    return numbers;
}
} // namespace

TEST_F(ReportTest, everySectionHoldsWhatReadPrintsAndTheHtmlIsValid)
{
    const CliRun run = Report();
    ASSERT_EQ(run.status, kExitSuccess) << run.err.toStdString();
    const QJsonObject report = Json();
    EXPECT_EQ(report["format"].toString(), "vemo400-report");
    EXPECT_EQ(report["version"].toInt(), 3);
    EXPECT_EQ(report["check"]["checks"].toArray().first()["id"].toString(), "voltage-missing");
    EXPECT_TRUE(report["missing"].toArray().isEmpty());
    const QString page = QString::fromUtf8(FileBytes(html));

    QStringList pages;
    for (const QJsonValue& value : report["sections"].toArray()) {
        const QJsonObject section = value.toObject();
        QStringList read{"read", section["page"].toString(), "--format", "json"};
        if (section.contains("channel"))
            read << "--channel" << section["channel"].toString();
        const CliRun printed = RunCommand(line, read);
        ASSERT_EQ(printed.status, kExitSuccess) << printed.err.toStdString();
        EXPECT_EQ(section["items"].toArray(), QJsonDocument::fromJson(printed.out.toUtf8()).array())
            << read.join(' ').toStdString();
        const QList<double> numbers = CellNumbers(page);
        for (const QJsonValue& item : section["items"].toArray()) {
            const QString text = item["value"].toString();
            EXPECT_TRUE(item["value"].isDouble() ? numbers.contains(item["value"].toDouble())
                                                 : text.isEmpty() || page.contains(ValueCell(text)))
                << item["item"].toString().toStdString();
        }
        pages << section["page"].toString() + section["channel"].toString();
    }
    const QJsonArray realtime = report["sections"][2]["items"].toArray();
    EXPECT_EQ(realtime[3]["item"].toString(), "Unbalance rate of Phase voltage");
    EXPECT_TRUE(realtime[3]["value"].isDouble()) << "a padded number is still a number";
    EXPECT_EQ(report["sections"][0]["items"][6]["value"].toString(), "Four Line");
    EXPECT_EQ(pages, QStringList({"settings", "io", "realtime", "common", "harmonicsIa", "harmonicsIb",
                                  "harmonicsIc", "harmonicsUa", "harmonicsUb", "harmonicsUc", "demand",
                                  "maxmin", "energy", "soe"}));
    EXPECT_EQ(
        report["clock"]["meter"].toString(),
        RunCommand(line, {"clock", "show", "--format", "csv"}).out.section('\n', 1, 1).section(',', 0, 0));
    EXPECT_EQ(page.count("<img class=\"chart\""), 8) << "the phasors, six harmonic channels and the phases";

    const ToolRun tidy = RunTool("tidy", {"-errors", "-quiet", html});
    EXPECT_EQ(tidy.status, 0) << tidy.out.toStdString();
}

// The meter goes silent once the harmonic table is asked for: what came before is kept, the rest is named.
TEST_F(ReportTest, aMeterThatStopsAnsweringHalfWayStillGivesAReportNamingTheMissingSections)
{
    std::thread silencer([this] {
        for (std::size_t total = 1; line.Server().Log().WaitForTotal(total, std::chrono::seconds(20));
             ++total)
            if (line.Requests().back().info.address == PageReads::kHarmonics.first) {
                line.Silence();
                return;
            }
    });
    const CliRun run = Report();
    silencer.join();

    EXPECT_EQ(run.status, kExitNoAnswer);
    const QJsonObject report = Json();
    QStringList complete;
    for (const QJsonValue& section : report["sections"].toArray())
        if (section["complete"].toBool())
            complete << section["page"].toString();
    EXPECT_EQ(complete, QStringList({"settings", "io", "realtime", "common"}));
    const QStringList missing{"Harmonic Ia", "Harmonic Ib", "Harmonic Ic", "Harmonic Ua",
                              "Harmonic Ub", "Harmonic Uc", "Demand",      "Max/Min Data",
                              "Energy",      "SOE",         "Meter clock", "Wiring check"};
    EXPECT_EQ(report["missing"].toVariant().toStringList(), missing);
    const QString page = QString::fromUtf8(FileBytes(html));
    EXPECT_TRUE(page.contains("Missing: " + missing.join(", ") + '.'));
    EXPECT_EQ(page.count("<p class=\"missing\">Missing: no valid answer"), 11);
    EXPECT_TRUE(run.err.contains("the report misses " + missing.join(", "))) << run.err.toStdString();
}

// Debian's Chromium lays the page out as a browser does: on screen, and on A4 paper with the sheets the style
// sets.
TEST_F(ReportTest, chromiumRendersItAsAPictureAndPrintsItOnNineA4Pages)
{
    ASSERT_EQ(Report().status, kExitSuccess);
    const QString chromium = QStandardPaths::findExecutable("chromium");
    ASSERT_FALSE(chromium.isEmpty()) << "scripts/setup installs chromium";
    const auto render = [&](const QString& profile, const QString& output) {
        return RunTool(chromium,
                       {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                        "--disable-background-networking", "--disable-component-update", "--disable-sync",
                        "--user-data-dir=" + dir.filePath(profile), "--window-size=900,1400", output,
                        "file://" + html});
    };
    const QString png = dir.filePath("report.png");
    const QString pdf = dir.filePath("report.pdf");
    ASSERT_EQ(render("png-profile", "--screenshot=" + png).status, 0);
    ASSERT_EQ(render("pdf-profile", "--print-to-pdf=" + pdf).status, 0);

    EXPECT_TRUE(FileBytes(png).startsWith("\x89PNG\r\n\x1a\n"));
    const ToolRun info = RunTool("pdfinfo", {pdf});
    ASSERT_EQ(info.status, 0) << info.out.toStdString();
    EXPECT_TRUE(info.out.contains("Pages:           9")) << info.out.toStdString();
    EXPECT_TRUE(info.out.contains("(A4)")) << info.out.toStdString();
}

// The record a site keeps: its text stays text (the values and the findings read back), on A4 pages
// that each name the meter and count themselves, and a page drawn from it is no blank sheet.
TEST_F(ReportTest, thePdfHoldsTheValuesAndTheFindingsAsTextOnNumberedA4Pages)
{
    ASSERT_EQ(Report().status, kExitSuccess);
    const ToolRun text = RunTool("pdftotext", {"-layout", pdf, "-"});
    ASSERT_EQ(text.status, 0) << "scripts/setup installs poppler-utils";
    const QJsonObject report = Json();
    const QJsonArray realtime = report["sections"][2]["items"].toArray();
    EXPECT_TRUE(text.out.contains(QByteArray::number(realtime[0]["value"].toDouble(), 'f', 3)))
        << "Ua as the page shows it";
    // "power flow" as typed: no ligature stands in for its letters.
    for (const char* words : {"Wiring and power quality", "ct-polarity", "harmonic-voltage", "Harmonic Uc",
                              "address 1", "Page 1 of ", "power flow"})
        EXPECT_TRUE(text.out.contains(words)) << words;
    const ToolRun info = RunTool("pdfinfo", {pdf});
    EXPECT_TRUE(info.out.contains("(A4)")) << info.out.toStdString();

    ASSERT_EQ(
        RunTool("pdftoppm", {"-r", "30", "-png", "-f", "1", "-l", "1", pdf, dir.filePath("page")}).status, 0);
    const QImage page(dir.filePath("page-1.png"));
    ASSERT_FALSE(page.isNull());
    int inked = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            inked += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(inked, page.width() * page.height() / 100) << "a page with text and a diagram on it";
}
