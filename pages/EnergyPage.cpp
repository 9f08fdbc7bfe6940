#include "pages/EnergyPage.h"

CEnergyPage::CEnergyPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}
