#pragma once

#include "pages/MeterPage.h"

#include "meter/HarmonicTable.h"

#include <cstdint>
#include <span>

// Harmonic content of one chosen channel, orders 2 to 31, with its THD and,
// for the currents, the K factor.
class CHarmonicPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 106;
    static constexpr int kPageNumber = 5;

    CHarmonicPage(IMainWindow& main, QWidget* parent);

    // The page always opens on channel Ia, as its "Ia Harmonic" button does.
    void Start() override;
    void PollMeter() override;

    // 1 to 6 for Ia, Ib, Ic, Ua, Ub, Uc; 0 before the first choice.
    int ChannelCode() const;

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void SelectChannel(const HarmonicTable::Channel& channel);
    void PrepareGrid();
    void WriteChannelLabels();
    void WriteChannelValues(std::span<const int32_t, HarmonicTable::kSize> table);

    const HarmonicTable::Channel* m_channel = nullptr;
};
