#pragma once

#include "pages/MeterPage.h"

// The twelve energy counters.
class CEnergyPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 133;

    CEnergyPage(IMainWindow& main, QWidget* parent);
};
