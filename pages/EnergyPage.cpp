#include "pages/EnergyPage.h"

#include "comm/ModbusFrame.h"
#include "meter/BlockRead.h"
#include "meter/PageItems.h"
#include "pages/ClearCommand.h"
#include "resources/ControlIds.h"

#include <array>

namespace {
using namespace EnergyIds;
constexpr int kPollMs = 500;

constexpr int kEnergyClearRegister = RegisterMap::kClearEnergy;
// The edit of each counter in register order; the edits are laid out in another order.
constexpr std::array<int, std::size(PageItems::kEnergy)> kCounterEdits = {
    kImportActiveEdit,      kImportReactiveEdit,    kExportActiveEdit,      kExportReactiveEdit,
    kQuadrant1ActiveEdit,   kQuadrant2ActiveEdit,   kQuadrant3ActiveEdit,   kQuadrant4ActiveEdit,
    kQuadrant1ReactiveEdit, kQuadrant2ReactiveEdit, kQuadrant3ReactiveEdit, kQuadrant4ReactiveEdit};
} // namespace

CEnergyPage::CEnergyPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, kPageNumber, main, parent)
{
}

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
void CEnergyPage::PollMeter()
{
    TakeSlaveIdFromPanel();
    if (!PageReads::Read(PageReads::kEnergy))
        return;
    for (std::size_t k = 0; k < kCounterEdits.size(); ++k)
        SetDlgItemText(kCounterEdits[k], FormatMeasurement(PageItems::kEnergy[k]));
}
