#include "pages/MeterSetPage.h"

CMeterSetPage::CMeterSetPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}
