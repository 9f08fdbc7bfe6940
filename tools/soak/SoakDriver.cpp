#include "SoakDriver.h"

#include "app/MainDlg.h"
#include "comm/ModbusFrame.h"
#include "pages/MainWindowLink.h"
#include "pages/MeterPage.h"
#include "resources/ControlIds.h"
#include "sim/SimMeter.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <array>
#include <vector>

namespace {
// The buttons a user presses on each page (by page number), in turn.
const std::array<std::vector<int>, 10> kButtons = {{
    {},
    {RealtimeDataIds::kLoadButton},
    {},
    {MeterSetIds::kLoadButton, MeterSetIds::kSetButton},
    {IoIds::kLoadButton, IoIds::kSetButton, IoIds::kRelay1CloseButton, IoIds::kRelay1OpenButton},
    std::vector<int>(std::begin(HarmonicIds::kChannelButtons), std::end(HarmonicIds::kChannelButtons)),
    {DemandIds::kClearButton},
    {EnergyIds::kLoadButton, EnergyIds::kClearButton},
    {MaxMinIds::kClearButton},
    {SoeIds::kMeterDateButton, SoeIds::kSetClockButton, SoeIds::kReadEventsButton, SoeIds::kClearButton},
}};
constexpr int kMeterSetPage = 3;
constexpr int kIoPage = 4;
constexpr int kSoePage = 9;
constexpr int kClockRegisters = 6;

// The clear command each page's Clear button writes.
int ClearRegister(int page, int button)
{
    if (page == 6 && button == DemandIds::kClearButton)
        return RegisterMap::kClearDemand;
    if (page == 7 && button == EnergyIds::kClearButton)
        return RegisterMap::kClearEnergy;
    if (page == 8 && button == MaxMinIds::kClearButton)
        return RegisterMap::kClearMaxMin;
    if (page == 9 && button == SoeIds::kClearButton)
        return RegisterMap::kClearEvents;
    return -1;
}
} // namespace

SoakDriver::SoakDriver(CMainDlg& main, CSimMeter& meter, SoakRules& rules)
    : m_main(main), m_meter(meter), m_rules(rules)
{
}

void SoakDriver::RunEventsFor(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

int SoakDriver::Choose(int treePosition)
{
    m_treePosition = treePosition;
    QTreeWidgetItem* root = m_main.Tree().topLevelItem(0);
    root->setExpanded(true);
    m_main.Tree().setCurrentItem(root->child(treePosition));
    m_page = CurrentPage;
    return m_page;
}

void SoakDriver::Step()
{
    if (m_pressNext && m_page >= 1 && m_page <= 9 && !kButtons[m_page].empty())
        PressNextButton();
    else
        Choose((m_treePosition + 1) % CMainDlg::kPageCount);
    m_pressNext = !m_pressNext;
}

void SoakDriver::PressNextButton()
{
    const std::vector<int>& buttons = kButtons[m_page];
    const int button = buttons[static_cast<std::size_t>(m_presses[m_page]++) % buttons.size()];
    AllowedWrite allowed;
    if (const int clear = ClearRegister(m_page, button); clear >= 0)
        allowed[clear] = {RegisterMap::kClearCommand};
    if (m_page == kSoePage && button == SoeIds::kSetClockButton)
        for (int i = 0; i < kClockRegisters; ++i)
            allowed[RegisterMap::kClock + i] = {};
    if (m_page == kMeterSetPage && button == MeterSetIds::kSetButton) {
        AllowLoaded(allowed, RegisterMap::kCtPrimary, 8);
        AllowLoaded(allowed, RegisterMap::kActivePulse, 5);
        m_ctPrimary = m_ctPrimary >= 250 ? 100 : m_ctPrimary + 50;
        allowed[RegisterMap::kCtPrimary].push_back(static_cast<uint16_t>(m_ctPrimary));
        m_rules.Allow(allowed);
        TypeCtPrimaryAndSet(*m_main.Page(m_page));
        return;
    }
    if (m_page == kIoPage && button == IoIds::kSetButton) {
        AllowLoaded(allowed, RegisterMap::kRelayAlarm, 20);
        AllowLoaded(allowed, RegisterMap::kReturnTime, 4);
    }
    m_rules.Allow(allowed);
    Press(button);
}

void SoakDriver::Press(int id)
{
    ++m_commands;
    m_main.Page(m_page)->DlgItem<QAbstractButton>(id)->click();
}

// What a Load showed is what the meter holds: the soak is the only one who writes to it.
void SoakDriver::AllowLoaded(AllowedWrite& allowed, int start, int count) const
{
    const std::vector<uint16_t> values = m_meter.Registers(start, count);
    for (int i = 0; i < count; ++i)
        allowed[start + i] = {values[static_cast<std::size_t>(i)]};
}

void SoakDriver::TypeCtPrimaryAndSet(CMeterPage& page)
{
    page.SetDlgItemText(MeterSetIds::kCtPrimaryEdit, QString::number(m_ctPrimary));
    Press(MeterSetIds::kSetButton);
}
