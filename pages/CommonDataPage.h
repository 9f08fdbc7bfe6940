#pragma once

#include "pages/FailureLimit.h"
#include "pages/MeterPage.h"

// Live values, energies, THD and demands from registers 0 to 44, polled from
// creation on while the page is current. After the sixth failure in a row it
// polls no more until the program is started again.
class CCommonDataPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 108;
    static constexpr int kPageNumber = 2;

    CCommonDataPage(IMainWindow& main, QWidget* parent);

    void PollMeter() override;

    int FailureCount() const { return m_failures.Count(); }

protected:
    void OnInitDialog() override;

private:
    FailureLimit m_failures;
};
