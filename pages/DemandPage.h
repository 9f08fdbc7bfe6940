#pragma once

#include "pages/MeterPage.h"

// Demands and their maximum records with time stamps.
class CDemandPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 110;

    CDemandPage(IMainWindow& main, QWidget* parent);
};
