#pragma once

#include "pages/MeterPage.h"

// Relay alarm settings, relay commands and the input and output lamps.
class CIoPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 130;

    CIoPage(IMainWindow& main, QWidget* parent);
};
