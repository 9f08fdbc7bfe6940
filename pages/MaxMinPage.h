#pragma once

#include "pages/FailureLimit.h"
#include "pages/MeterPage.h"

// Maximum and minimum values since the last clear. Unlike the other pages it
// polls once a second from the moment it exists, whichever page is shown.
class CMaxMinPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 138;
    static constexpr int kPageNumber = 8;

    CMaxMinPage(IMainWindow& main, QWidget* parent);

    void PollMeter() override;
    // The clear button.
    void ClearMaxMin();

protected:
    // It polls whatever page is current.
    bool PollsNow() const override { return true; }
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void SetUpGrid();

    FailureLimit m_failures;
};
