#include "app/MainDlg.h"
#include "MessageBoxRecorder.h"
#include "PtyPair.h"
#include "WaitUntil.h"
#include "app/PortBox.h"
#include "comm/PortList.h"
#include "comm/SerialPort.h"
#include "framework/SequenceQueue.h"
#include "framework/TabArea.h"
#include "pages/MainWindowLink.h"
#include "pages/MeterPage.h"
#include "resources/ControlIds.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <termios.h>

namespace {
const QStringList kLabels = {"Realtime Data", "Common Data", "Meter Set",    "I/O", "Harmonic",
                             "Demand",        "Energy",      "Max/Min Data", "SOE"};

// Counts the port opens of its navigation steps.
class CountingMainDlg : public CMainDlg
{
public:
    bool OpenPort() override
    {
        ++opens;
        return CMainDlg::OpenPort();
    }
    int opens = 0;
};

// The main window with COM1 mapped to a pseudo-terminal.
class MainDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("VEMO400_COM1", QByteArray::fromStdString(pty.SlavePath()));
        qputenv("VEMO400_COM2", "/nonexistent/tty");
        CurrentPage = 100;
        main.Create();
    }
    void TearDown() override { SerialPort.Close(); }

    QTreeWidgetItem* TreeItem(const QString& text) const
    {
        return main.Tree().findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    }
    QComboBox* Box(int id) const { return main.DlgItem<QComboBox>(id); }
    speed_t RateOnTheLine() const
    {
        termios t{};
        tcgetattr(pty.MasterFd(), &t);
        return cfgetospeed(&t);
    }
    int VisiblePage() const
    {
        for (int n = 1; n <= CMainDlg::kPageCount; ++n)
            if (main.Page(n)->isVisibleTo(&main))
                return n;
        return 0;
    }

    PtyPair pty;
    MessageBoxRecorder messages;
    CMainDlg main;
};
} // namespace

TEST_F(MainDlgTest, startsWithTheDesignedPanelNineTabsAndTreeItemsAndThePortClosed)
{
    QTabBar& tabs = main.TabArea().Tabs();
    ASSERT_EQ(tabs.count(), 9);
    QTreeWidgetItem* root = main.Tree().topLevelItem(0);
    ASSERT_EQ(root->text(0), "VEMO400");
    ASSERT_EQ(root->childCount(), 9);
    EXPECT_FALSE(root->isExpanded());
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(tabs.tabText(i), kLabels[i]);
        EXPECT_EQ(root->child(i)->text(0), kLabels[i]);
    }
    EXPECT_EQ(main.SlaveIdText(), "1");
    EXPECT_EQ(Box(MainDialogIds::kPortBox)->currentText(), "COM1");
    EXPECT_EQ(Box(MainDialogIds::kBaudList)->currentText(), "9600");
    EXPECT_EQ(Box(MainDialogIds::kParityList)->currentText(), "none");
    EXPECT_EQ(CurrentPage, 100);
    EXPECT_FALSE(SerialPort.IsOpen());
    EXPECT_EQ(VisiblePage(), 1);
}

TEST_F(MainDlgTest, treeSelectsTheDesignedTabAndTheRootSelectsNothing)
{
    main.Tree().setCurrentItem(main.Tree().topLevelItem(0));
    EXPECT_EQ(CurrentPage, 100);
    EXPECT_FALSE(SerialPort.IsOpen());

    main.Tree().setCurrentItem(TreeItem("Energy"));
    EXPECT_EQ(main.TabArea().Tabs().currentIndex(), 6);
    EXPECT_EQ(CurrentPage, 7);
    EXPECT_EQ(VisiblePage(), 7);

    main.Tree().setCurrentItem(TreeItem("Max/Min Data"));
    EXPECT_EQ(CurrentPage, 8);
}

TEST_F(MainDlgTest, navigationReopensThePortWithThePanelsRateAndSetsThePollInterval)
{
    Box(MainDialogIds::kBaudList)->setCurrentIndex(2);
    main.TabArea().Tabs().setCurrentIndex(5);
    EXPECT_EQ(CurrentPage, 6);
    EXPECT_TRUE(SerialPort.IsOpen());
    EXPECT_EQ(RateOnTheLine(), static_cast<speed_t>(B19200));
    EXPECT_EQ(PollIntervalMs, 400);

    Box(MainDialogIds::kBaudList)->setCurrentIndex(0);
    main.TabArea().Tabs().setCurrentIndex(1);
    EXPECT_EQ(RateOnTheLine(), static_cast<speed_t>(B4800));
    EXPECT_EQ(PollIntervalMs, 200);

    Box(MainDialogIds::kBaudList)->setCurrentIndex(3);
    main.SelectPage(2);
    EXPECT_EQ(PollIntervalMs, 500);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MainDlgTest, stepsAskedForDuringAStepsWaitMergeIntoOneThatOpensThePortForThePageChosenLast)
{
    CountingMainDlg window;
    window.Create();
    QTimer::singleShot(0, &window, [&] {
        for (int tab : {2, 3, 4, 5})
            window.TabArea().Tabs().setCurrentIndex(tab);
    });
    window.TabArea().Tabs().setCurrentIndex(1);

    ASSERT_TRUE(
        WaitUntil([&] { return window.Page(6)->isVisibleTo(&window) && !SequenceQueue().IsRunning(); }));
    EXPECT_EQ(window.opens, 2);
    EXPECT_EQ(CurrentPage, 6);
    for (int n = 1; n <= CMainDlg::kPageCount; ++n)
        EXPECT_EQ(window.Page(n)->isVisibleTo(&window), n == 6) << "page " << n;
}

TEST_F(MainDlgTest, aPortThatCannotOpenShowsTheMessageAndStillShowsThePage)
{
    Box(MainDialogIds::kPortBox)->setCurrentIndex(1);
    main.TabArea().Tabs().setCurrentIndex(5);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Can not open COM2!");
    EXPECT_EQ(messages.messages[0].caption, "Error");
    EXPECT_EQ(messages.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(CurrentPage, 99);
    EXPECT_EQ(VisiblePage(), 6);
}

TEST_F(MainDlgTest, theOpenedPortListNamesThePortsPresentAndATypedNameOpensThatDevice)
{
    ASSERT_GE(Box(MainDialogIds::kPortBox)->count(), 4);
    EXPECT_EQ(Box(MainDialogIds::kPortBox)->itemText(3), "COM4");

    Box(MainDialogIds::kPortBox)->setEditText(QString::fromStdString(pty.SlavePath()));
    main.TabArea().Tabs().setCurrentIndex(1);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_STREQ(SerialPort.DeviceName(), pty.SlavePath().c_str());

    Box(MainDialogIds::kPortBox)->setEditText(" /nonexistent/ttyUSB7 ");
    main.TabArea().Tabs().setCurrentIndex(5);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Can not open /nonexistent/ttyUSB7!");
}

TEST(PortBoxTest, listsAfreshWhenOpenedAndKeepsWhatItShows)
{
    QComboBox box;
    std::vector<std::string> present;
    CPortBox ports(box, [&] { return PortNames(present); });
    EXPECT_EQ(ports.Name(), "COM1");

    present = {"/dev/ttyUSB0"};
    box.setEditText("/dev/ttyACM3");
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(4, 4), QPointF(4, 4), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&box, &click);
    box.hidePopup();
    EXPECT_EQ(box.count(), 5);
    EXPECT_EQ(box.itemText(4), "/dev/ttyUSB0");
    EXPECT_EQ(ports.Name(), "/dev/ttyACM3");

    box.setCurrentIndex(4);
    present.clear();
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(&box, &f4);
    box.hidePopup();
    EXPECT_EQ(box.count(), 4);
    EXPECT_EQ(ports.Name(), "/dev/ttyUSB0");
}

TEST_F(MainDlgTest, aBadIdBoxShowsTheRangeMessageOncePerPanelReadAndKeepsTheAddress)
{
    main.SetSlaveIdText("300");
    main.TabArea().Tabs().setCurrentIndex(1);
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text, "“请填入一个在0和255之间的整数。”");
    EXPECT_TRUE(SerialPort.IsOpen());
}

TEST_F(MainDlgTest, escapeInThePanelClosesTheWindowButNotInAPage)
{
    main.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(main.Page(1)->GetDlgItem(RealtimeDataIds::kLoadButton), &escape);
    EXPECT_TRUE(main.isVisible());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(main.GetDlgItem(MainDialogIds::kSlaveIdEdit), &enter);
    EXPECT_TRUE(main.isVisible());
    QApplication::sendEvent(main.GetDlgItem(MainDialogIds::kSlaveIdEdit), &escape);
    EXPECT_FALSE(main.isVisible());
}

TEST_F(MainDlgTest, aBaudPositionTheListDoesNotHoldLeavesTheRateAsItIs)
{
    main.SelectBaud(2);
    EXPECT_EQ(main.BaudPosition(), 2);
    main.SelectBaud(7);
    main.SelectBaud(-1);
    EXPECT_EQ(main.BaudPosition(), 2);
}
