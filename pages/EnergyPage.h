#pragma once

#include "pages/MeterPage.h"

// The twelve energy counters, polled while the page is current, and their Clear command.
class CEnergyPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 133;
    static constexpr int kPageNumber = 7;

    CEnergyPage(IMainWindow& main, QWidget* parent);

    void Start() override { Load(); }

    // Starts the poll timer.
    void Load();
    // Asks the meter to clear its energy counters, then polls again.
    void Clear();
    // One tick of the poll: registers 200 to 223 into the twelve edits.
    void PollMeter() override;

protected:
    void OnCommand(int id) override;
};
