#include "pages/DemandPage.h"

CDemandPage::CDemandPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}
