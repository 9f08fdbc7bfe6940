#include "pages/MeterSetPage.h"

#include "comm/Line.h"
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

#include <QComboBox>
#include <array>

namespace {
using namespace MeterSetIds;

struct EditField
{
    int id;
    int32_t CMeterSetPage::Settings::*value;
};

// In the order the edits are taken, so that the first bad entry is the one reported.
constexpr std::array kEditFields = {
    EditField{kPtPrimaryEdit, &CMeterSetPage::Settings::ptPrimary},
    EditField{kCtPrimaryEdit, &CMeterSetPage::Settings::ctPrimary},
    EditField{kAddressEdit, &CMeterSetPage::Settings::address},
    EditField{kPulseConstantEdit, &CMeterSetPage::Settings::pulseConstant},
    EditField{kMagnificationEdit, &CMeterSetPage::Settings::magnification},
    EditField{kCtSecondaryEdit, &CMeterSetPage::Settings::ctSecondary},
    EditField{kPtSecondaryEdit, &CMeterSetPage::Settings::ptSecondary},
};
} // namespace

CMeterSetPage::CMeterSetPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, kPageNumber, main, parent)
{
}

void CMeterSetPage::OnInitDialog()
{
    FillList(kBaudList, SettingsTexts::kBaudRates);
    FillList(kWiringList, SettingsTexts::kWiring);
    FillList(kActivePulseList, SettingsTexts::kActivePulse);
    FillList(kReactivePulseList, SettingsTexts::kReactivePulse);
    FillList(kAnalogTargetList, SettingsTexts::kAnalogTarget);
    // The held values start at 0 and show as such until the first Load.
    ShowValues();
}

void CMeterSetPage::OnCommand(int id)
{
    switch (id) {
    case kLoadButton:
        Load();
        break;
    case kSetButton:
        Set();
        break;
    case kFourLinesRadio:
        ComboBox(kWiringList)->setCurrentIndex(0);
        break;
    case kThreeLinesRadio:
        ComboBox(kWiringList)->setCurrentIndex(1);
        break;
    default:
        break;
    }
}

void CMeterSetPage::Load()
{
    TakeSlaveIdFromPanel();
    if (!LoadCommunicationBlock()) {
        ShowFailure();
        return;
    }
    LoadOutputBlock();
    ShowValues();
}

bool CMeterSetPage::LoadCommunicationBlock()
{
    using namespace PageReads::BlockA;
    if (!PageReads::Read(kBlock.Load()))
        return false;
    m_held.ctPrimary = Registers::U16(kCtPrimary);
    m_held.ctSecondary = Registers::U16(kCtSecondary);
    m_held.ptPrimary = Registers::S32(kPtPrimary);
    m_held.ptSecondary = Registers::U16(kPtSecondary);
    m_held.address = Registers::U16(kAddress);
    SettingsList::SelectLoaded(*ComboBox(kWiringList), Registers::U16(kWiring));
    SettingsList::SelectLoaded(*ComboBox(kBaudList), Registers::U16(kBaudIndex));
    ShowValues();
    m_communicationLoaded = true;
    return true;
}

void CMeterSetPage::LoadOutputBlock()
{
    using namespace PageReads::BlockB;
    if (!PageReads::Read(kBlock.Load())) {
        ShowFailure();
        return;
    }
    SettingsList::SelectLoaded(*ComboBox(kActivePulseList), Registers::U16(kActivePulse));
    SettingsList::SelectLoaded(*ComboBox(kReactivePulseList), Registers::U16(kReactivePulse));
    m_held.pulseConstant = Registers::U16(kPulseConstant);
    SettingsList::SelectLoaded(*ComboBox(kAnalogTargetList), Registers::U16(kAnalogTarget));
    m_held.magnification = Registers::U16(kMagnification);
    m_outputLoaded = true;
}

void CMeterSetPage::Set()
{
    if (!AllSettingsLoaded(this, {m_communicationLoaded, m_outputLoaded}) || !TakeValues())
        return;
    // A meter that refused block A (an exception reply) still listens where it did.
    const Modbus::WriteResult blockA = WriteCommunicationBlock();
    if (blockA.confirmed)
        FollowNewCommunication();
    else if (blockA.exceptionCode != 0 || !FoundAtNewCommunication()) {
        ShowFailure();
        return;
    }
    WriteOutputBlock();
    Load();
}

// Takes every edit or none: a bad entry is reported and focused, and nothing
// is written, so the user's entries stay as typed instead of being reloaded.
// The lists are taken here too: the window stays live during the writes' waits.
bool CMeterSetPage::TakeValues()
{
    Settings taken = m_held;
    for (const EditField& field : kEditFields)
        if (!ExchangeInt(*this, field.id, taken.*field.value))
            return false;
    m_held = taken;
    m_chosen = {Selection(kWiringList), Selection(kBaudList), Selection(kActivePulseList),
                Selection(kReactivePulseList), Selection(kAnalogTargetList)};
    return true;
}

void CMeterSetPage::ShowValues()
{
    for (const EditField& field : kEditFields)
        SetDlgItemText(field.id, QString::asprintf("%d", m_held.*field.value));
    const int wiring = Selection(kWiringList);
    CheckDlgButton(kFourLinesRadio, wiring == 0);
    CheckDlgButton(kThreeLinesRadio, wiring == 1);
}

Modbus::WriteResult CMeterSetPage::WriteCommunicationBlock()
{
    using namespace PageReads::BlockA;
    RegisterBlock[kCtPrimary] = m_held.ctPrimary;
    RegisterBlock[kCtSecondary] = m_held.ctSecondary;
    RegisterBlock[kPtPrimary] = m_held.ptPrimary % 65536;
    RegisterBlock[kPtPrimary + 1] = m_held.ptPrimary / 65536;
    RegisterBlock[kPtSecondary] = m_held.ptSecondary;
    RegisterBlock[kWiring] = m_chosen.wiring;
    RegisterBlock[kAddress] = m_held.address;
    RegisterBlock[kBaudIndex] = m_chosen.baud;
    return PageReads::Write(kBlock.Set());
}

// From block A on the meter listens at the address and rate just written, so
// the panel, SlaveId and the port follow before block B goes out; otherwise
// block B would go unanswered and the reload would put the old values back.
// The port is compared, not the panel: the panel's rate may have been changed
// since the port was opened, and block A went out at the port's. The rate is
// the one written, not the list's: the list may have changed during the wait.
void CMeterSetPage::FollowNewCommunication()
{
    Main().SetSlaveIdText(QString::asprintf("%d", m_held.address));
    Main().SelectBaud(m_chosen.baud);
    SlaveId = m_held.address;
    const unsigned rate = WrittenRate();
    if (rate != 0 && rate != Line().Baud())
        Main().OpenPort();
}

// A block A the meter did not confirm may still have been taken, its reply damaged on the
// way: then the meter answers at the address and rate written, and the panel follows it
// there. Otherwise the panel, SlaveId and the port go back to where the meter last answered.
bool CMeterSetPage::FoundAtNewCommunication()
{
    const int32_t slave = SlaveId;
    const QString idText = Main().SlaveIdText();
    const int baudPosition = Main().BaudPosition();
    const unsigned rate = Line().Baud();
    const unsigned written = WrittenRate();
    if (m_held.address == slave && (written == 0 || written == rate))
        return false;
    FollowNewCommunication();
    using namespace PageReads::BlockA;
    if (PageReads::Read(kBlock.Load()) && Registers::U16(kAddress) == m_held.address)
        return true;
    Main().SetSlaveIdText(idText);
    Main().SelectBaud(baudPosition);
    SlaveId = slave;
    if (Line().Baud() != rate)
        Main().OpenPort();
    return false;
}

// The rate block A wrote; 0 for a position the rate list does not hold.
unsigned CMeterSetPage::WrittenRate() const
{
    const bool known =
        m_chosen.baud >= 0 && m_chosen.baud < static_cast<int>(std::size(SettingsTexts::kBaudRates));
    return known ? QString::fromLatin1(SettingsTexts::kBaudRates[m_chosen.baud]).toUInt() : 0;
}

void CMeterSetPage::WriteOutputBlock()
{
    using namespace PageReads::BlockB;
    RegisterBlock[kActivePulse] = m_chosen.activePulse;
    RegisterBlock[kReactivePulse] = m_chosen.reactivePulse;
    RegisterBlock[kPulseConstant] = m_held.pulseConstant;
    RegisterBlock[kAnalogTarget] = m_chosen.analogTarget;
    RegisterBlock[kMagnification] = m_held.magnification;
    if (!PageReads::Write(kBlock.Set()).confirmed)
        ShowFailure();
}

// The register value of the list's selection; no selection (-1) goes out as 65535.
int CMeterSetPage::Selection(int listId) const
{
    return SettingsList::SelectedValue(*ComboBox(listId));
}

void CMeterSetPage::ShowFailure()
{
    ShowCommunicationFail(this, CommunicationFail::Command);
}
