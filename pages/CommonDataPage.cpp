#include "pages/CommonDataPage.h"

#include "meter/PageItems.h"
#include "pages/MainWindowLink.h"
#include "pages/MeasurementGrid.h"
#include "widgets/GridCtrl.h"

CCommonDataPage::CCommonDataPage(IMainWindow& main, QWidget* parent)
    : CMeterPage(kTemplateId, kPageNumber, main, parent)
{
}

// The period is taken once, at creation, before any port open has changed it.
void CCommonDataPage::OnInitDialog()
{
    CGridCtrl& grid = Grid();
    SetUpTwoHalfTable(grid, 21, {{0, 38}, {1, 106}, {3, 48}, {4, 38}, {5, 110}, {7, 48}});
    WriteItemLabels(grid, PageItems::kCommon);
    OfferTrends(PageItems::kCommon);
    SetTimer(kPollTimer, PollIntervalMs);
}

// Only the measurement request counts toward the failure limit; a failed ratio refresh keeps the last ratios.
void CCommonDataPage::PollMeter()
{
    PollTable(PageReads::kCommon, PageItems::kCommon, m_failures);
}
