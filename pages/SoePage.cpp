#include "pages/SoePage.h"

CSoePage::CSoePage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}
