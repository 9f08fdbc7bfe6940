#pragma once

#include "pages/MeterPage.h"

// Maximum and minimum values since the last clear.
class CMaxMinPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 138;

    CMaxMinPage(IMainWindow& main, QWidget* parent);
};
