#pragma once

#include "comm/Transaction.h"
#include "pages/MeterPage.h"

#include <cstdint>

// Loads and writes the meter's address, rate, transformer ratios, wiring and outputs.
class CMeterSetPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 105;
    static constexpr int kPageNumber = 3;

    CMeterSetPage(IMainWindow& main, QWidget* parent);

    void Start() override { Load(); }

    // Reads registers 1000 to 1007, then 1021 to 1025, into the controls.
    void Load();
    // Writes the controls to the meter and reloads them.
    void Set();

    // The values the edits exchange as whole numbers.
    struct Settings
    {
        int32_t ptPrimary = 0;
        int32_t ctPrimary = 0;
        int32_t address = 0;
        int32_t pulseConstant = 0;
        int32_t magnification = 0;
        int32_t ctSecondary = 0;
        int32_t ptSecondary = 0;
    };

    // The list positions Set writes, taken with the edits before its first wait.
    struct Choices
    {
        int wiring = -1;
        int baud = -1;
        int activePulse = -1;
        int reactivePulse = -1;
        int analogTarget = -1;
    };

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    bool LoadCommunicationBlock();
    void LoadOutputBlock();
    bool TakeValues();
    void ShowValues();
    Modbus::WriteResult WriteCommunicationBlock();
    void FollowNewCommunication();
    bool FoundAtNewCommunication();
    unsigned WrittenRate() const;
    void WriteOutputBlock();
    int Selection(int listId) const;
    void ShowFailure();

    Settings m_held;
    Choices m_chosen;
    // Whether each block has loaded since the page was created; Set writes nothing before.
    bool m_communicationLoaded = false;
    bool m_outputLoaded = false;
};
