#pragma once

#include "pages/MeterPage.h"

#include <QHash>
#include <cstdint>
#include <span>

// Relay alarm settings, relay commands and the input and output lamps.
class CIoPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 130;
    static constexpr int kPageNumber = 4;

    CIoPage(IMainWindow& main, QWidget* parent);

    void Start() override { Load(); }

    // Reads the relay settings and return times into the controls.
    void Load();
    // Writes the relay settings and return times, then reloads them.
    void Set();
    // One tick of the status poll: the lamps follow registers 137 and 138.
    void PollMeter() override;

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void ClearLine();
    void LoadRelaySettings();
    void LoadReturnTimes();
    bool WriteRelaySettings();
    void WriteReturnTimes();
    void SwitchRelay(int coil, int value);
    bool TakeValues();
    void ShowValues();
    // lamps[n] shows bit n of bits.
    void SetLamps(std::span<const int> lamps, int bits);

    QHash<int, int32_t> m_held; // edit id -> whole number it holds
    // Whether each block has loaded since the page was created; Set writes nothing before.
    bool m_settingsLoaded = false;
    bool m_returnTimesLoaded = false;
};
