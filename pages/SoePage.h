#pragma once

#include "pages/MeterPage.h"

// Sequence-of-events records and the meter clock.
class CSoePage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 109;

    CSoePage(IMainWindow& main, QWidget* parent);
};
