// The cable pulled for real: the simulated meter's pseudo-terminal closes under
// the tool's open port, and the meter comes back on a new terminal behind the
// same link path, as a USB converter does when it is unplugged and plugged in.

#include "MessageBoxRecorder.h"
#include "WaitUntil.h"
#include "app/MainDlg.h"
#include "comm/SerialPort.h"
#include "pages/MainWindowLink.h"
#include "pages/MeterPage.h"
#include "resources/ControlIds.h"
#include "sim/MeterRegisters.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"
#include "widgets/GridCtrl.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>

namespace {
constexpr int kRealtimePage = 1;
constexpr int kCommonDataPage = 2;

LineTiming NoWireTime()
{
    LineTiming timing;
    timing.enabled = false;
    return timing;
}

double ProcessCpuSeconds()
{
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

class PulledCableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Start()) << server.Error();
        PlugIn();
        qputenv("VEMO400_COM1", QByteArray::fromStdString(link));
        CurrentPage = 100;
        main.Create();
        main.show();
    }
    void TearDown() override
    {
        SerialPort.Close();
        server.Stop();
    }

    // The link path now leads to the meter's present terminal.
    void PlugIn()
    {
        std::filesystem::remove(link);
        std::filesystem::create_symlink(server.SlavePath(), link);
    }

    void Choose(int page)
    {
        main.Tree().setCurrentItem(main.Tree().topLevelItem(0)->child(page - 1));
        ASSERT_EQ(CurrentPage, page);
    }

    QString Ua() const { return main.Page(kRealtimePage)->DlgItem<CGridCtrl>(kPageGridId)->CellText(1, 2); }

    QTemporaryDir folder;
    const std::string link = folder.filePath(QStringLiteral("meter")).toStdString();
    CSimMeter meter;
    CSimServer server{meter, NoWireTime()};
    MessageBoxRecorder messages;
    CMainDlg main;
};
} // namespace

TEST_F(PulledCableTest, neitherCrashesHangsNorSpinsAndPollsAgainOnceThePageIsChosen)
{
    meter.SetRegister(MeterReg::kPhaseVoltage, 22000);
    Choose(kRealtimePage);
    ASSERT_TRUE(WaitUntil([&] { return !Ua().isEmpty(); }));
    const QString shownBefore = Ua();

    server.Stop();
    int beats = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++beats; });
    heartbeat.start(50);
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer pulled;
    pulled.start();
    // The polls fail on the dead terminal until the sixth failure stops them with a message.
    ASSERT_TRUE(WaitUntil([&] { return !messages.messages.empty() && beats >= 20; }, 30000));
    const double cpuShare =
        (ProcessCpuSeconds() - cpuBefore) / (static_cast<double>(pulled.elapsed()) / 1000.0);
    EXPECT_LT(cpuShare, 0.5) << "the tool spins while the line is dead";
    EXPECT_EQ(messages.messages.front().text, QStringLiteral("Communication Fail!"));

    meter.SetRegister(MeterReg::kPhaseVoltage, 23000);
    ASSERT_TRUE(server.Start()) << server.Error();
    PlugIn();
    // The user moves to another page and back: each choice reopens the port.
    Choose(kCommonDataPage);
    Choose(kRealtimePage);
    EXPECT_TRUE(WaitUntil([&] { return Ua() != shownBefore; }, 10000)) << Ua().toStdString();
}
