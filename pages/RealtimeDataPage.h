#pragma once

#include "pages/MeterPage.h"

// Live voltages, currents, powers and status words, polled while the page is current.
class CRealtimeDataPage : public CMeterPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 104;

    CRealtimeDataPage(IMainWindow& main, QWidget* parent);
};
