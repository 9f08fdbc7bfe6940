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
#include "widgets/IndicatorLamp.h"

#include <QComboBox>
#include <array>

namespace {
constexpr int kLoadButton = 1032;
constexpr int kSetButton = 1033;

// The controls of one relay, in the order of its five setting registers, and its return time.
struct RelayControls
{
    int modeList;
    int targetList;
    int upperEdit;
    int lowerEdit;
    int delayEdit;
    int returnEdit;
};
constexpr std::array<RelayControls, 4> kRelays = {{
    {1003, 1004, 1002, 1024, 1005, 1017},
    {1006, 1007, 1008, 1027, 1009, 1019},
    {1010, 1011, 1016, 1018, 1020, 1025},
    {1012, 1013, 1021, 1022, 1023, 1026},
}};

namespace Relays = PageReads::Relays;
constexpr int kFirstInputLamp = 1059;
constexpr int kFirstOutputLamp = 1055;

// The order in which the edits are taken, so that the first bad entry is the one reported.
constexpr std::array kExchangeOrder = {1002, 1008, 1005, 1009, 1017, 1019, 1024, 1027,
                                       1016, 1018, 1020, 1025, 1021, 1022, 1023, 1026};

struct RelayButton
{
    int id;
    int coil;
    int value;
};
constexpr int kClose = 0xFF00;
constexpr int kOpen = 0x0000;
constexpr std::array kRelayButtons = {
    RelayButton{1014, 0, kClose}, RelayButton{1015, 0, kOpen},  RelayButton{1028, 1, kClose},
    RelayButton{1029, 1, kOpen},  RelayButton{1030, 2, kClose}, RelayButton{1031, 2, kOpen},
    RelayButton{1034, 3, kClose}, RelayButton{1035, 3, kOpen},
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
    for (const RelayControls& relay : kRelays) {
        FillList(relay.modeList, SettingsTexts::kRelayMode);
        FillList(relay.targetList, SettingsTexts::kRelayTarget);
    }
    ShowValues();
    SetLamps(kFirstInputLamp, 8, 0);
    SetLamps(kFirstOutputLamp, 4, 0);
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
        const RelayControls& relay = kRelays[r];
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
        const RelayControls& relay = kRelays[r];
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
    SetLamps(kFirstInputLamp, 8, Registers::U16(Relays::kInputs));
    SetLamps(kFirstOutputLamp, Relays::kRelayCount, Registers::U16(Relays::kOutputs));
}

void CIoPage::SetLamps(int firstLamp, int count, int bits)
{
    for (int n = 0; n < count; ++n)
        DlgItem<CIndicatorLamp>(firstLamp + n)
            ->SetLamp(kGreenColour, (bits >> n) & 1 ? kLit : kGrey, kSquareShape);
}
