#pragma once

#include "pages/MeterPage.h"

// Live values, energies, THD and demands from registers 0 to 44.
class CCommonDataPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 108;

    CCommonDataPage(IMainWindow& main, QWidget* parent);
};
