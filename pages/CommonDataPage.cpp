#include "pages/CommonDataPage.h"

CCommonDataPage::CCommonDataPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent)
{
}
