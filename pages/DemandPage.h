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

    // One tick of the poll timer.
    void Poll();
    // The Clear Demand button.
    void ClearDemand();

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnTimer(int n) override;

private:
    void SetUpGrid();
    void ShowDemands();
};
