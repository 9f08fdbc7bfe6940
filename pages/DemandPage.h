#pragma once

#include "pages/MeterPage.h"

// Demands and their maximum records with time stamps, polled while the page is current.
class CDemandPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 110;
    static constexpr int kPageNumber = 6;

    CDemandPage(IMainWindow& main, QWidget* parent);

    void PollMeter() override;
    // The Clear Demand button.
    void ClearDemand();

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void SetUpGrid();
    void ShowDemands();
};
