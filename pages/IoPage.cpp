#include "pages/IoPage.h"

#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "meter/BlockRead.h"
#include "meter/RegisterValues.h"
#include "meter/SettingsTexts.h"
#include "pages/FailureMessages.h"
#include "pages/MainWindowLink.h"
#include "pages/SettingsList.h"
#include "pages/UnloadedSettings.h"
#include "resources/ControlIds.h"
#include "widgets/IndicatorLamp.h"

#include <QComboBox>
#include <array>

namespace {
using namespace IoIds;
namespace Relays = PageReads::Relays;

constexpr std::array<RelaySettings, Relays::kRelayCount> kRelays = {kRelay1Settings, kRelay2Settings,
                                                                    kRelay3Settings, kRelay4Settings};

// The order in which the edits are taken, so that the first bad entry is the one reported.
constexpr std::array kExchangeOrder = {
    kRelay1Settings.upperEdit,  kRelay2Settings.upperEdit,  kRelay1Settings.delayEdit,
    kRelay2Settings.delayEdit,  kRelay1Settings.returnEdit, kRelay2Settings.returnEdit,
    kRelay1Settings.lowerEdit,  kRelay2Settings.lowerEdit,  kRelay3Settings.upperEdit,
    kRelay3Settings.lowerEdit,  kRelay3Settings.delayEdit,  kRelay3Settings.returnEdit,
    kRelay4Settings.upperEdit,  kRelay4Settings.lowerEdit,  kRelay4Settings.delayEdit,
    kRelay4Settings.returnEdit,
};

struct RelayButton
{
    int id;
    int coil;
    int value;
};
constexpr int kClose = 0xFF00;
constexpr int kOpen = 0x0000;
constexpr std::array kRelayButtons = {
    RelayButton{kRelay1CloseButton, 0, kClose}, RelayButton{kRelay1OpenButton, 0, kOpen},
    RelayButton{kRelay2CloseButton, 1, kClose}, RelayButton{kRelay2OpenButton, 1, kOpen},
    RelayButton{kRelay3CloseButton, 2, kClose}, RelayButton{kRelay3OpenButton, 2, kOpen},
    RelayButton{kRelay4CloseButton, 3, kClose}, RelayButton{kRelay4OpenButton, 3, kOpen},
};

// The square green lamp: lit for a set bit, grey otherwise.
constexpr int kGreenColour = 32;
constexpr int kSquareShape = 48;
constexpr int kLit = 0;
constexpr int kGrey = 2;
} // namespace

CIoPage::CIoPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, kPageNumber, main, parent)
{
    for (int id : kExchangeOrder)
        m_held.insert(id, 0);
}

void CIoPage::OnInitDialog()
{
    for (const RelaySettings& relay : kRelays) {
        FillList(relay.modeList, SettingsTexts::kRelayMode);
        FillList(relay.targetList, SettingsTexts::kRelayTarget);
    }
    ShowValues();
    SetLamps(kInputLamps, 0);
    SetLamps(kRelayLamps, 0);
    SetTimer(kPollTimer, 500);
}

void CIoPage::OnCommand(int id)
{
    if (id == kLoadButton) {
        Load();
        return;
    }
    if (id == kSetButton) {
        Set();
        return;
    }
    for (const RelayButton& button : kRelayButtons)
        if (button.id == id)
            SwitchRelay(button.coil, button.value);
}

// The line is cleared before each load, set and switch: the meter may still be answering an earlier request.
void CIoPage::ClearLine()
{
    Modbus::ClearLine(Relays::kClearLine.waitMs, Relays::kClearLine.readLength);
}

void CIoPage::Load()
{
    ClearLine();
    LoadRelaySettings();
    LoadReturnTimes();
    SetTimer(kPollTimer, 200);
}

void CIoPage::LoadRelaySettings()
{
    if (!PageReads::Read(Relays::kSettings.Load())) {
        ShowCommunicationFail(this, CommunicationFail::RelayLoad);
        return;
    }
    for (int r = 0; r < Relays::kRelayCount; ++r) {
        const RelaySettings& relay = kRelays[r];
        const int k = r * Relays::kPerRelay;
        SettingsList::SelectLoaded(*ComboBox(relay.modeList), Registers::U16(k + Relays::kMode));
        SettingsList::SelectLoaded(*ComboBox(relay.targetList), Registers::U16(k + Relays::kTarget));
        m_held[relay.upperEdit] = Registers::U16(k + Relays::kUpper);
        m_held[relay.lowerEdit] = Registers::U16(k + Relays::kLower);
        m_held[relay.delayEdit] = Registers::U16(k + Relays::kDelay);
    }
    ShowValues();
    m_settingsLoaded = true;
}

// A failed read of the return times is silent.
void CIoPage::LoadReturnTimes()
{
    if (!PageReads::Read(Relays::kReturnTimes.Load()))
        return;
    for (int r = 0; r < Relays::kRelayCount; ++r)
        m_held[kRelays[r].returnEdit] = Registers::U16(r);
    ShowValues();
    m_returnTimesLoaded = true;
}

void CIoPage::Set()
{
    if (!AllSettingsLoaded(this, {m_settingsLoaded, m_returnTimesLoaded}))
        return;
    ClearLine();
    if (!TakeValues())
        return;
    if (WriteRelaySettings())
        WriteReturnTimes();
    else
        MessageBox(this, QStringLiteral("Set Fail"), QStringLiteral("Error"));
    Load();
}

// Each value goes out as its low 16 bits; a list without a selection as 65535.
bool CIoPage::WriteRelaySettings()
{
    for (int r = 0; r < Relays::kRelayCount; ++r) {
        const RelaySettings& relay = kRelays[r];
        int32_t* values = RegisterBlock + r * Relays::kPerRelay;
        values[Relays::kMode] = SettingsList::SelectedValue(*ComboBox(relay.modeList));
        values[Relays::kTarget] = SettingsList::SelectedValue(*ComboBox(relay.targetList));
        values[Relays::kUpper] = m_held[relay.upperEdit];
        values[Relays::kLower] = m_held[relay.lowerEdit];
        values[Relays::kDelay] = m_held[relay.delayEdit];
    }
    return PageReads::Write(Relays::kSettings.Set()).confirmed;
}

void CIoPage::WriteReturnTimes()
{
    for (int r = 0; r < Relays::kRelayCount; ++r)
        RegisterBlock[r] = m_held[kRelays[r].returnEdit];
    if (!PageReads::Write(Relays::kReturnTimes.Set()).confirmed)
        ShowCommunicationFail(this, CommunicationFail::Command);
}

// The coil does not depend on the edits: a bad entry is reported, and the relay still switches.
void CIoPage::SwitchRelay(int coil, int value)
{
    ClearLine();
    TakeValues();
    if (!Modbus::WriteCoil(coil, value, Relays::kSwitch.waitMs, Relays::kSwitch.readLength).confirmed)
        ShowCommunicationFail(this, CommunicationFail::Command);
    SetTimer(kPollTimer, 200);
}

// Takes every edit or none: a bad entry is reported and focused, and the held
// values stay as they were, so nothing half-taken is ever written.
bool CIoPage::TakeValues()
{
    QHash<int, int32_t> taken = m_held;
    for (int id : kExchangeOrder)
        if (!ExchangeInt(*this, id, taken[id]))
            return false;
    m_held = taken;
    return true;
}

void CIoPage::ShowValues()
{
    for (int id : kExchangeOrder)
        SetDlgItemText(id, QString::asprintf("%d", m_held.value(id)));
}

// The lamps show the state only while the page is current; a failed read leaves them as they are.
void CIoPage::PollMeter()
{
    if (!PageReads::Read(Relays::kStatus))
        return;
    SetLamps(kInputLamps, Registers::U16(Relays::kInputs));
    SetLamps(kRelayLamps, Registers::U16(Relays::kOutputs));
}

void CIoPage::SetLamps(std::span<const int> lamps, int bits)
{
    for (std::size_t n = 0; n < lamps.size(); ++n)
        DlgItem<CIndicatorLamp>(lamps[n])->SetLamp(kGreenColour, (bits >> n) & 1 ? kLit : kGrey,
                                                   kSquareShape);
}
