#include "pages/HarmonicPage.h"

CHarmonicPage::CHarmonicPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}
