#include "pages/EnergyPage.h"

#include "comm/Transaction.h"
#include "pages/ClearCommand.h"
#include "pages/MainWindowLink.h"
#include "pages/PrintfText.h"
#include "pages/RegisterValues.h"

#include <array>

namespace {
constexpr int kLoadButton = 1011;
constexpr int kClearButton = 1012;
constexpr int kPollMs = 500;

// Twelve 32-bit counters from register 200, low word first, in tenths of kWh or kvarh.
constexpr int kCountersStart = RegisterMap::kEnergy;
constexpr int kEnergyClearRegister = RegisterMap::kClearEnergy;
// The edit of each counter in register order; the edits are laid out in another order.
constexpr std::array kCounterEdits = {1002, 1016, 1004, 1005, 1017, 1019, 1021, 1023, 1018, 1020, 1022, 1024};
} // namespace

CEnergyPage::CEnergyPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}

void CEnergyPage::OnCommand(int id)
{
    if (id == kLoadButton)
        Load();
    else if (id == kClearButton)
        Clear();
}

void CEnergyPage::Load()
{
    SetTimer(kPollTimer, kPollMs);
}

void CEnergyPage::Clear()
{
    ClearMeterRecords(this, kEnergyClearRegister);
    SetTimer(kPollTimer, kPollMs);
}

// A failed poll is silent and leaves the edits as they were; the next tick tries again.
void CEnergyPage::Poll()
{
    if (CurrentPage != kPageNumber)
        return;
    TakeSlaveIdFromPanel();
    if (!Modbus::ReadRegisters(kCountersStart, 2 * static_cast<int>(kCounterEdits.size()), 200, 300))
        return;
    for (int k = 0; k < static_cast<int>(kCounterEdits.size()); ++k)
        SetDlgItemText(kCounterEdits[k], PrintfText("%.1f", Registers::U32(2 * k) / 10.0));
}
