#pragma once

#include "pages/FailureLimit.h"
#include "pages/MeterPage.h"

#include <cstdint>

// Live voltages, currents, powers and status words, polled while the page is current.
class CRealtimeDataPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 104;
    static constexpr int kPageNumber = 1;

    CRealtimeDataPage(IMainWindow& main, QWidget* parent);

    // Selecting the page (re)starts polling, as its Load button does.
    void Start() override { Load(); }
    void Load();
    void PollMeter() override;

    std::uint8_t PollCount() const { return m_pollCount; }
    int FailureCount() const { return m_failures.Count(); }

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void ShowPollLamps();

    // Counts every poll that runs, passed or failed; its parity picks the lamp that lights.
    std::uint8_t m_pollCount = 0;
    FailureLimit m_failures;
};
