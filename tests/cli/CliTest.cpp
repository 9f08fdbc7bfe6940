#include "CliRun.h"
#include "PageFixture.h"
#include "WaitUntil.h"
#include "comm/LineObserver.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "pages/MainWindowLink.h"
#include "pages/RealtimeDataPage.h"
#include "sim/SimGateway.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {
std::vector<uint16_t> Sequence(int first, int count)
{
    std::vector<uint16_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(static_cast<uint16_t>(first + i));
    return values;
}

QStringList FileLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n');
}
} // namespace

TEST(CliScanTest, findsAMeterAtAnotherAddressAndRate)
{
    MeterLine line;
    line.Meter().SetSlaveAddress(7);
    line.Meter().SetBaud(19200);

    const CliRun run =
        RunCommand(line, {"scan", "--addresses", "1-20", "--bauds", "9600,19200", "--format", "csv"});

    EXPECT_EQ(run.status, kExitSuccess) << run.err.toStdString();
    EXPECT_EQ(run.out, "address,baud,parity,ct ratio,pt ratio\n7,19200,none,20,1\n");
}

// The page polls and fills its grid; the command reads the same registers and must print the same texts.
class CliReadTest : public PageFixture<CRealtimeDataPage>
{
};

TEST_F(CliReadTest, printsWhatThePageShowsForTheSameRegisters)
{
    SetRatios(150, 5, 10000, 100);
    line.Set(100, Sequence(21000, 39));
    line.Set(117, {0xFFF6, 0x8000, 7}); // negative phase powers
    page.Create();
    CurrentPage = CRealtimeDataPage::kPageNumber;
    page.Poll();

    const CliRun run = RunCommand(line, {"read", "realtime", "--format", "csv"});
    ASSERT_EQ(run.status, kExitSuccess) << run.err.toStdString();
    QHash<QString, QString> printed;
    for (const QString& row : run.out.split('\n', Qt::SkipEmptyParts).mid(1))
        printed.insert(row.section(',', 0, 0), row.section(',', 1, 1));
    int compared = 0;
    for (int row = 1; row < 30; ++row)
        for (int nameColumn : {1, 5}) {
            if (Cell(row, nameColumn).isEmpty())
                continue;
            EXPECT_EQ(printed.value(Cell(row, nameColumn)), Cell(row, nameColumn + 1).trimmed())
                << Cell(row, nameColumn).toStdString();
            ++compared;
        }
    EXPECT_EQ(compared, 36);
    EXPECT_EQ(printed.size(), compared);
}

// A meter that misses the ratio read but answers the value read must not give voltages of zero.
TEST(CliRatioTest, aReadingWithoutThisMetersRatiosFailsAndARetriedRatioReadServes)
{
    Modbus::ForgetRatios(); // an earlier test's line may have had the same name
    MeterLine line;
    line.Set(1000, {100, 5, 1, 0, 1}); // CT 100/5, PT 1/1
    line.Set(100, 23012);
    line.Server().Faults().FailNext(FaultMode::NoReply, 3);
    const CliRun missed = RunCommand(line, {"read", "realtime", "--format", "csv"});
    EXPECT_EQ(missed.status, kExitNoAnswer);
    EXPECT_TRUE(
        missed.err.contains("no valid answer to reading the transformer ratios, registers 1000 to 1004"))
        << missed.err.toStdString();
    EXPECT_TRUE(missed.out.isEmpty()) << missed.out.toStdString();

    line.Server().Faults().FailNext(FaultMode::NoReply, 2);
    const CliRun retried = RunCommand(line, {"read", "realtime", "--format", "csv"});
    EXPECT_EQ(retried.status, kExitSuccess) << retried.err.toStdString();
    EXPECT_TRUE(retried.out.contains("\nUa,230.120,V\n")) << retried.out.toStdString();
}

namespace {
// A simulated meter on a line of its own for the console program run as a program, and a folder for its log.
class CliLogTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.Start()); }

    static LineTiming Immediate()
    {
        LineTiming timing;
        timing.enabled = false;
        return timing;
    }

    CSimMeter meter;
    CSimServer server{meter, Immediate()};
    QTemporaryDir dir;
    const QString path = dir.filePath("energy.csv");
};
} // namespace

// A kill cannot be caught: every row already in the file must be whole.
TEST_F(CliLogTest, killedMidwayLeavesACompleteCsv)
{
    QProcess cli;
    cli.start(QStringLiteral(VEMO400_CLI), {"log", "energy", "--every", "0.1", "--out", path, "--port",
                                            QString::fromStdString(server.SlavePath())});
    ASSERT_TRUE(WaitUntil([&] { return FileLines(path).size() > 4; }, 20000));
    ::kill(static_cast<pid_t>(cli.processId()), SIGKILL);
    cli.waitForFinished();

    const QStringList lines = FileLines(path);
    ASSERT_GT(lines.size(), 4);
    EXPECT_TRUE(lines.last().isEmpty()) << "the last row ends with its line break";
    const int columns = static_cast<int>(lines.first().count(',')) + 1;
    EXPECT_EQ(columns, 2 + 12);
    for (const QString& row : lines.mid(1, lines.size() - 2)) {
        EXPECT_EQ(row.count(',') + 1, columns) << row.toStdString();
        EXPECT_EQ(row.section(',', 1, 1), "ok");
    }
}

// A row cut short by a full disk or a power cut is ended before rows are added, and a file
// rotated away underneath is made again: no row is ever glued to another or lost unseen.
TEST_F(CliLogTest, endsARowCutShortAndMakesARotatedFileAgain)
{
    const QString port = QString::fromStdString(server.SlavePath());
    ASSERT_EQ(RunCommandOn(port, {"log", "energy", "--every", "0.1", "--for", "1", "--out", path}).status,
              kExitSuccess);
    QFile torn(path);
    ASSERT_TRUE(torn.open(QIODevice::Append));
    torn.write("2026-12-09T10:00:00.000+00:00,ok,12");
    torn.close();

    QProcess cli;
    cli.start(QStringLiteral(VEMO400_CLI),
              {"log", "energy", "--every", "0.1", "--out", path, "--port", port});
    const auto rowsIn = [](const QString& file) { return FileLines(file).size() - 2; };
    const qsizetype before = rowsIn(path);
    ASSERT_TRUE(WaitUntil([&] { return rowsIn(path) > before + 1; }, 20000));
    ASSERT_TRUE(QFile::rename(path, path + ".1"));
    ASSERT_TRUE(WaitUntil([&] { return rowsIn(path) > 0; }, 20000));
    cli.terminate();
    ASSERT_TRUE(cli.waitForFinished(10000));

    const QStringList old = FileLines(path + ".1");
    EXPECT_TRUE(old.contains("2026-12-09T10:00:00.000+00:00,ok,12")) << "the cut row, ended where it was";
    const QStringList fresh = FileLines(path);
    EXPECT_EQ(fresh.first(), old.first()) << "the new file starts with the heading";
    for (const QStringList& lines : {old, fresh})
        for (const QString& row : lines.mid(1, lines.size() - 2)) {
            const bool cutShort = row.endsWith(",ok,12");
            EXPECT_TRUE(cutShort || row.count(',') == lines.first().count(',')) << row.toStdString();
        }
    const QString said = QString::fromUtf8(cli.readAllStandardError());
    EXPECT_TRUE(said.contains("ends in a row cut short")) << said.toStdString();
    EXPECT_TRUE(said.contains("was moved or removed; rows go to a new")) << said.toStdString();
}

// A log that cannot be written (here: a file size limit; a full disk alike) says so with its own status.
TEST_F(CliLogTest, aFileThatCannotBeWrittenEndsTheLogWithTheStatusForIt)
{
    QProcess cli;
    cli.start(QStringLiteral("sh"), {"-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"",
                                     QStringLiteral(VEMO400_CLI), "log", "energy", "--every", "0.1", "--out",
                                     path, "--port", QString::fromStdString(server.SlavePath())});
    ASSERT_TRUE(WaitUntil([&] { return cli.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(cli.exitCode(), kExitFileNotWritten) << cli.readAllStandardError().toStdString();
}

class CliSettingsTest : public ::testing::Test
{
protected:
    // The meter settings and relay alarms, which a load must put on another meter.
    static std::vector<uint16_t> Settings(MeterLine& line)
    {
        std::vector<uint16_t> all;
        for (auto [start, count] : {std::pair{1000, 8}, {1015, 4}, {1021, 5}, {1030, 20}}) {
            const std::vector<uint16_t> block = line.Meter().Registers(start, count);
            all.insert(all.end(), block.begin(), block.end());
        }
        return all;
    }

    // Sets one value of the meter's settings in the file.
    void EditFile(const char* key, int value) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        QJsonObject meter = root["meter"].toObject();
        meter[QLatin1String(key)] = value;
        root["meter"] = meter;
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(root).toJson());
    }

    QTemporaryDir dir;
    const QString path = dir.filePath("settings.json");
};

// Cloning a backup keeps the target's address and rate; --move gives it the file's and follows it there.
TEST_F(CliSettingsTest, loadOntoASecondMeterReproducesTheFirstsSettingsAndMovesItOnlyWhenAsked)
{
    std::vector<uint16_t> first;
    {
        MeterLine line;
        line.Set(1000, {150, 5, 34464, 1, 100, 1, 5, 2}); // PT primary 100000, address 5, 19200 baud
        line.Set(1021, {2, 1, 1600, 13, 20});
        line.Set(1015, {6, 7, 8, 9});
        line.Set(1030, Sequence(1, 20));
        for (int relay = 0; relay < 4; ++relay)
            line.Set(1030 + 5 * relay, {static_cast<uint16_t>(relay % 2), static_cast<uint16_t>(relay + 3)});
        first = Settings(line);
        const CliRun save = RunCommand(line, {"settings", "save", path, "--address", "5", "--baud", "19200"});
        ASSERT_EQ(save.status, kExitSuccess) << save.err.toStdString();
    }
    MeterLine second;
    const CliRun kept = RunCommand(second, {"settings", "load", path, "--yes"});
    EXPECT_EQ(kept.status, kExitSuccess) << kept.err.toStdString();
    std::vector<uint16_t> clone = first;
    clone[6] = 1; // the target's own address and rate
    clone[7] = 1;
    EXPECT_EQ(Settings(second), clone);
    EXPECT_TRUE(kept.err.contains("the meter keeps address 1 and 9600 baud")) << kept.err.toStdString();

    const CliRun moved = RunCommand(second, {"settings", "load", path, "--yes", "--move"});
    EXPECT_EQ(moved.status, kExitSuccess) << moved.err.toStdString();
    EXPECT_EQ(Settings(second), first);
    EXPECT_EQ(second.Meter().SlaveAddress(), 5);
    EXPECT_EQ(second.Meter().Baud(), 19200);
    EXPECT_TRUE(moved.out.contains("meter.address: 1 -> 5")) << moved.out.toStdString();
}

// A block refused after an earlier one was written leaves a mix, which the load names.
TEST_F(CliSettingsTest, aLoadThatFailsHalfWaySaysWhichBlocksWereWritten)
{
    MeterLine line;
    ASSERT_EQ(RunCommand(line, {"settings", "save", path}).status, kExitSuccess);
    line.Set(1021, {0, 0, 100, 0, 0});
    line.Set(1030, Sequence(1, 20));
    // The meter refuses whatever follows the first write.
    SetLineObserver([&line](const LineEvent& event) {
        if (event.kind == LineEvent::Exchange && event.request[1] == 16)
            line.Server().Faults().FailNext(FaultMode::Exception, 1);
    });
    const CliRun half = RunCommand(line, {"settings", "load", path, "--yes"});
    SetLineObserver({});

    EXPECT_EQ(half.status, kExitPartlyWritten) << half.err.toStdString();
    EXPECT_TRUE(
        half.err.contains("the meter refused writing registers 1030 to 1049: exception 4 (slave device "
                          "failure)\n"))
        << half.err.toStdString();
    EXPECT_TRUE(half.err.contains("written: the pulse and analog outputs (registers 1021 to 1025); "
                                  "not written: the relay alarms (registers 1030 to 1049)\n"))
        << half.err.toStdString();
}

TEST_F(CliSettingsTest, aFileWithAnOutOfRangeValueWritesNothing)
{
    MeterLine line;
    ASSERT_EQ(RunCommand(line, {"settings", "save", path}).status, kExitSuccess);
    EditFile("analogTarget", 14); // the list ends at 13
    line.ClearRequests();

    const CliRun load = RunCommand(line, {"settings", "load", path, "--yes"});

    EXPECT_EQ(load.status, kExitBadUsage);
    EXPECT_TRUE(load.err.contains("meter.analogTarget is 14")) << load.err.toStdString();
    EXPECT_TRUE(line.Requests().empty());
}

// A gateway's serial side keeps its own rate: moving the meter to another one would lose it.
TEST_F(CliSettingsTest, overAGatewayAMoveToAnotherRateNeedsTheGatewaysRateChangedToo)
{
    MeterLine line;
    CSimGateway gateway{line.Server(), GatewayMode::ModbusTcp};
    ASSERT_TRUE(gateway.Start()) << gateway.Error();
    const QString url = QString::fromStdString(gateway.Url());
    ASSERT_EQ(RunCommandOn(url, {"settings", "save", path}).status, kExitSuccess);
    EditFile("baud", 19200);

    const CliRun refused = RunCommandOn(url, {"settings", "load", path, "--yes", "--move"});
    EXPECT_EQ(refused.status, kExitBadUsage);
    EXPECT_TRUE(refused.err.contains("add --gateway-rate-changed; nothing was written"))
        << refused.err.toStdString();
    EXPECT_EQ(line.Meter().Baud(), 9600);
    EXPECT_EQ(RunCommandOn(url, {"settings", "load", path, "--yes"}).status, kExitSuccess)
        << "keeps its rate";
}

// A slave deaf for a while after a frame for another address is missed by a plain scan,
// which then says what it waited and how to wait longer; a pause finds it.
TEST(CliScanTest, aScanThatFindsNothingSaysHowLongItWaitedAndAPauseFindsADeafSlave)
{
    MeterLine line;
    line.Meter().SetSlaveAddress(3);
    LineTiming timing = line.Server().Timing();
    timing.quietNeeded = std::chrono::milliseconds(300);
    line.Server().SetTiming(timing);

    const CliRun missed = RunCommand(line, {"scan", "--addresses", "2-3", "--bauds", "9600"});
    EXPECT_EQ(missed.status, kExitNoAnswer);
    EXPECT_TRUE(missed.err.contains("each address was waited for 71 ms")) << missed.err.toStdString();
    EXPECT_TRUE(missed.err.contains("--pause MS")) << missed.err.toStdString();

    const CliRun found = RunCommand(
        line, {"scan", "--addresses", "2-3", "--bauds", "9600", "--pause", "300", "--format", "csv"});
    EXPECT_EQ(found.status, kExitSuccess) << found.err.toStdString();
    EXPECT_TRUE(found.out.contains("\n3,9600,none,")) << found.out.toStdString();
}
