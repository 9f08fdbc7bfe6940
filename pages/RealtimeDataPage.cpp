#include "pages/RealtimeDataPage.h"

CRealtimeDataPage::CRealtimeDataPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, main, parent)
{
}
