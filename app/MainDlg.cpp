#include "app/MainDlg.h"

#include "app/LineMonitorWindow.h"
#include "app/PortBox.h"
#include "app/ReportWindow.h"
#include "app/TrendWindow.h"
#include "app/WiringCheckWindow.h"
#include "comm/Line.h"
#include "comm/LineWait.h"
#include "comm/ModbusRtu.h"
#include "comm/PortList.h"
#include "comm/SerialPort.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "framework/SequenceQueue.h"
#include "framework/TabArea.h"
#include "pages/CommonDataPage.h"
#include "pages/DemandPage.h"
#include "pages/EnergyPage.h"
#include "pages/HarmonicPage.h"
#include "pages/IoPage.h"
#include "pages/MaxMinPage.h"
#include "pages/MeterSetPage.h"
#include "pages/RealtimeDataPage.h"
#include "pages/SoePage.h"
#include "reading/MeterLink.h"
#include "resources/ControlIds.h"
#include "resources/DialogTemplates.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTreeWidget>

namespace {
using namespace MainDialogIds;

constexpr unsigned kRates[] = {4800, 9600, 19200, 38400};

// Page labels in tab order; the page number is the tab position + 1.
const char* const kPageLabels[CMainDlg::kPageCount] = {
    "Realtime Data", "Common Data", "Meter Set", "I/O", "Harmonic", "Demand", "Energy", "Max/Min Data", "SOE",
};

// The tree's texts in the order they are compared, with the tab each selects.
struct TreeTarget
{
    const char* text;
    int tab;
};
constexpr TreeTarget kTreeTargets[] = {
    {"Realtime Data", 0}, {"Common Data", 1},  {"Meter Set", 2}, {"I/O", 3}, {"Harmonic", 4},
    {"Demand", 5},        {"Max/Min Data", 7}, {"Energy", 6},    {"SOE", 8},
};

constexpr const char* kRootText = "VEMO400";
} // namespace

CMainDlg::CMainDlg(QWidget* parent) : CDialog(DialogTemplateOf(kTemplateId), parent)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

QTreeWidget& CMainDlg::Tree() const
{
    return *DlgItem<QTreeWidget>(kNavigationTree);
}

CTabArea& CMainDlg::TabArea() const
{
    return *DlgItem<CTabArea>(kPageTabs);
}

void CMainDlg::OnInitDialog()
{
    SequenceQueue().Open();
    LineWait::SetClosing(false);
    m_stepWaits = false;
    setFixedSize(size());
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    m_slaveAddress = 1;
    SetDlgItemText(kSlaveIdEdit, QString::number(m_slaveAddress));
    FillPanel();
    BuildNavigation();
    CreatePages();
    OfferWindows();
    SlaveId = m_slaveAddress;
    m_pages[0]->CenterIn(TabArea());
    m_pages[0]->show();
    TabArea().RaiseTabs();
}

void CMainDlg::FillPanel()
{
    m_ports = new CPortBox(*ComboBox(kPortBox), [] { return PortNames(); });
    QComboBox* rates = ComboBox(kBaudList);
    for (unsigned rate : kRates)
        rates->addItem(QString::number(rate));
    rates->setCurrentIndex(1);
    ComboBox(kParityList)->setCurrentIndex(0);
}

void CMainDlg::BuildNavigation()
{
    QTreeWidget& tree = Tree();
    auto* root = new QTreeWidgetItem(&tree, QStringList(QString::fromLatin1(kRootText)));
    QTabBar& tabs = TabArea().Tabs();
    for (const char* label : kPageLabels) {
        new QTreeWidgetItem(root, QStringList(QString::fromLatin1(label)));
        tabs.addTab(QString::fromLatin1(label));
    }
    connect(&tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnTreeSelectionChanged(current); });
    connect(&tabs, &QTabBar::currentChanged, this, [this] { OnTabSelectionChanged(); });
}

void CMainDlg::CreatePages()
{
    CTabArea* area = &TabArea();
    IMainWindow& self = *this;
    // Created in the order of their dialog resources, each stored under its page number.
    m_pages[0] = new CRealtimeDataPage(self, area);
    m_pages[2] = new CMeterSetPage(self, area);
    m_pages[4] = new CHarmonicPage(self, area);
    m_pages[1] = new CCommonDataPage(self, area);
    m_pages[8] = new CSoePage(self, area);
    m_pages[3] = new CIoPage(self, area);
    m_pages[5] = new CDemandPage(self, area);
    m_pages[7] = new CMaxMinPage(self, area);
    m_pages[6] = new CEnergyPage(self, area);
    for (int order : {0, 2, 4, 1, 8, 3, 5, 7, 6}) {
        m_pages[order]->hide();
        m_pages[order]->Create();
    }
}

// F9 and F12 anywhere in the window, or the context menu of the connection panel
// (and of whatever in the window has no menu of its own).
void CMainDlg::OfferWindows()
{
    auto* monitor = new QShortcut(QKeySequence(Qt::Key_F12), this);
    connect(monitor, &QShortcut::activated, this, [this] { ShowLineMonitor(); });
    auto* check = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(check, &QShortcut::activated, this, [this] { ShowWiringCheck(); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("Wiring check\tF9"), this, [this] { ShowWiringCheck(); });
        menu.addAction(QStringLiteral("Commissioning report..."), this, [this] { ShowReport(); });
        menu.addAction(QStringLiteral("Line monitor\tF12"), this, [this] { ShowLineMonitor(); });
        menu.exec(mapToGlobal(point));
    });
}

void CMainDlg::ShowWiringCheck()
{
    if (!m_wiringCheck)
        m_wiringCheck = new CWiringCheckWindow(*this, this);
    m_wiringCheck->show();
    m_wiringCheck->raise();
    m_wiringCheck->activateWindow();
    m_wiringCheck->CheckAgain();
}

void CMainDlg::ShowReport()
{
    if (!m_report)
        m_report = new CReportWindow(
            *this, [this] { return PanelLine(); }, this);
    m_report->show();
    m_report->raise();
    m_report->activateWindow();
    m_report->Read(CReportWindow::AfterReading::AskWhereToSave);
}

void CMainDlg::ShowLineMonitor()
{
    if (!m_monitor)
        m_monitor = new CLineMonitorWindow(this);
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
}

void CMainDlg::ValuesPolled(int page, std::span<const PolledValue> values)
{
    if (m_trend)
        m_trend->TakeValues(page, QDateTime::currentMSecsSinceEpoch(), values);
}

void CMainDlg::ShowTrend(int page, const PolledValue& value)
{
    if (!m_trend)
        m_trend = new CTrendWindow(this);
    if (!m_trend->AddValue(page, value))
        MessageBox(this,
                   QStringLiteral("The chart shows values of two units at most; clear it to follow %1.")
                       .arg(QString::fromLatin1(value.name)),
                   QStringLiteral("Trend"));
    m_trend->show();
    m_trend->raise();
    m_trend->activateWindow();
}

void CMainDlg::OnTreeSelectionChanged(QTreeWidgetItem* item)
{
    const QString text = item ? item->text(0) : QString();
    if (text.isEmpty() || text == QLatin1String(kRootText))
        return;
    for (const TreeTarget& target : kTreeTargets) {
        if (text == QLatin1String(target.text)) {
            const QSignalBlocker quiet(TabArea().Tabs());
            TabArea().Tabs().setCurrentIndex(target.tab);
            break;
        }
    }
    OnTabSelectionChanged();
}

// The new page is current at once, so a poll of the page left behind ends after
// its exchange in flight; the step itself waits its turn on the line. A step
// that had to wait makes its page current again: the start action of a step
// before it (realtime's Load) may have taken that. Steps asked for while one
// waits its turn merge into it: it opens the port once, for the page chosen last.
void CMainDlg::OnTabSelectionChanged()
{
    const int tab = TabArea().Tabs().currentIndex();
    CurrentPage = tab < 0 ? -1 : tab + 1;
    m_chosenPage = CurrentPage;
    if (m_stepWaits)
        return;
    m_stepWaits = true;
    SequenceQueue().Run([this] {
        m_stepWaits = false;
        CurrentPage = m_chosenPage;
        SelectPage(m_chosenPage);
    });
}

void CMainDlg::SelectPage(int n)
{
    ReadPanel();
    OpenPort();
    LineWait::For(100);
    // A page chosen during the wait has its own step waiting: this page is not shown at all.
    if (m_stepWaits)
        return;
    for (CMeterPage* page : m_pages)
        page->hide();
    if (CMeterPage* page = Page(n)) {
        page->CenterIn(TabArea());
        page->show();
        TabArea().RaiseTabs();
        page->Start();
    }
}

bool CMainDlg::OpenPort()
{
    SerialPort.Close();
    ReadPanel();
    const int ratePosition = BaudPosition();
    PollIntervalMs = 100 * (ratePosition + 1) + 100;
    const QString name = m_ports->Name();
    if (OpenLine(name.toLocal8Bit().constData(), kRates[ratePosition], ComboBox(kParityList)->currentIndex()))
        return true;
    CurrentPage = 99;
    MessageBox(this, QStringLiteral("Can not open %1!").arg(name), QStringLiteral("Error"));
    return false;
}

// Validates the ID box as a byte; on a bad entry the message shows and the held value stays.
void CMainDlg::ReadPanel()
{
    ExchangeByte(*this, kSlaveIdEdit, m_slaveAddress);
}

// The line as the connection panel sets it, for the report's header.
LineSettings CMainDlg::PanelLine() const
{
    LineSettings line;
    line.port = m_ports->Name();
    line.baud = kRates[BaudPosition()];
    line.parity = ComboBox(kParityList)->currentIndex();
    return line;
}

QString CMainDlg::SlaveIdText() const
{
    return GetDlgItemText(kSlaveIdEdit);
}

void CMainDlg::SetSlaveIdText(const QString& text)
{
    SetDlgItemText(kSlaveIdEdit, text);
}

int CMainDlg::BaudPosition() const
{
    return ComboBox(kBaudList)->currentIndex();
}

void CMainDlg::SelectBaud(int position)
{
    // The list stays selection-only: a position it does not hold leaves the rate as it is.
    QComboBox* rates = ComboBox(kBaudList);
    if (position >= 0 && position < rates->count())
        rates->setCurrentIndex(position);
}

// Closing ends the wait in progress and the sequence it belongs to at once;
// nothing that waits its turn runs any more.
void CMainDlg::closeEvent(QCloseEvent* event)
{
    SequenceQueue().Close();
    LineWait::SetClosing(true);
    if (m_monitor)
        m_monitor->close();
    if (m_trend)
        m_trend->close();
    if (m_wiringCheck)
        m_wiringCheck->close();
    if (m_report)
        m_report->close();
    CDialog::closeEvent(event);
}

void CMainDlg::keyPressEvent(QKeyEvent* event)
{
    // Escape closes the window, as its hidden Cancel button would; Return does nothing.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    CDialog::keyPressEvent(event);
}
