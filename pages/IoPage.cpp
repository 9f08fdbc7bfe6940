#include "pages/IoPage.h"

CIoPage::CIoPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}
