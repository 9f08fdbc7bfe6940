#pragma once

#include "pages/MeterPage.h"

// Harmonic content of one chosen channel, orders 2 to 31.
class CHarmonicPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 106;

    CHarmonicPage(IMainWindow& main, QWidget* parent);
};
