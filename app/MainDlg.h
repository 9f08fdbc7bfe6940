#pragma once

#include "framework/Dialog.h"
#include "pages/MainWindowLink.h"

#include <array>
#include <cstdint>

class CLineMonitorWindow;
class CMeterPage;
class CReportWindow;
class CTrendWindow;
class CWiringCheckWindow;
class CPortBox;
class CTabArea;
class QTreeWidget;
class QTreeWidgetItem;
struct LineSettings;

// The main window: connection panel, navigation tree and the tab area with the
// nine pages. Every navigation step reopens the port and shows one page; it
// runs through the sequence queue like the pages' ticks and commands.
class CMainDlg : public CDialog, public IMainWindow
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 102;
    static constexpr int kPageCount = 9;

    explicit CMainDlg(QWidget* parent = nullptr);

    // The navigation step: reopen the port, wait, show page n (1 to 9) and run its start action.
    void SelectPage(int n);
    bool OpenPort() override;

    QString SlaveIdText() const override;
    void SetSlaveIdText(const QString& text) override;
    int BaudPosition() const override;
    void SelectBaud(int position) override;
    void ValuesPolled(int page, std::span<const PolledValue> values) override;
    // Opens the trend window, or brings it to the front, with the value added.
    void ShowTrend(int page, const PolledValue& value) override;

    CMeterPage* Page(int n) const { return (n >= 1 && n <= kPageCount) ? m_pages[n - 1] : nullptr; }
    QTreeWidget& Tree() const;
    CTabArea& TabArea() const;
    // Opens the line monitor (F12, or the window's context menu) or brings it to the front.
    void ShowLineMonitor();
    CLineMonitorWindow* LineMonitor() const { return m_monitor; }
    // Opens the wiring check (F9, or the window's context menu) and checks the meter again.
    void ShowWiringCheck();
    CWiringCheckWindow* WiringCheck() const { return m_wiringCheck; }
    // Opens the report window (the window's context menu), reads the meter and asks where to save.
    void ShowReport();
    CReportWindow* ReportWindow() const { return m_report; }
    CTrendWindow* Trend() const { return m_trend; }

protected:
    void OnInitDialog() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FillPanel();
    void BuildNavigation();
    void CreatePages();
    void ReadPanel();
    LineSettings PanelLine() const;
    void OnTreeSelectionChanged(QTreeWidgetItem* item);
    void OnTabSelectionChanged();
    void OfferWindows();

    uint8_t m_slaveAddress = 0;
    CPortBox* m_ports = nullptr;
    // The page chosen last, and whether a navigation step for it waits its turn:
    // steps asked for meanwhile merge into that one.
    int m_chosenPage = -1;
    bool m_stepWaits = false;
    std::array<CMeterPage*, kPageCount> m_pages{};
    CLineMonitorWindow* m_monitor = nullptr;
    CTrendWindow* m_trend = nullptr;
    CWiringCheckWindow* m_wiringCheck = nullptr;
    CReportWindow* m_report = nullptr;
};
