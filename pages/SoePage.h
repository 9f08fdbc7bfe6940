#pragma once

#include "meter/EventTexts.h"
#include "pages/MeterPage.h"

#include <array>
#include <cstdint>

// Sequence-of-events records and the meter clock. The records are read each
// time the page is shown; nothing is polled.
class CSoePage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 109;
    static constexpr int kPageNumber = 9;

    CSoePage(IMainWindow& main, QWidget* parent);

    void Start() override { ReadEvents(); }

    // The four buttons: Meter Date, Timing, SOE and Clear SOE.
    void ShowMeterClock();
    void SetMeterClock();
    void ReadEvents();
    void ClearEvents();

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void SetUpGrid();
    void ListEvents();

    static constexpr int kRecordCount = EventTexts::kRecordCount;
    static constexpr int kRegistersPerRecord = EventTexts::kRegistersPerRecord;
    std::array<int32_t, kRecordCount * kRegistersPerRecord> m_records{};
};
