#pragma once

#include "pages/MeterPage.h"

// Loads and writes the meter's address, rate, transformer ratios, wiring and outputs.
class CMeterSetPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 105;

    CMeterSetPage(IMainWindow& main, QWidget* parent);
};
