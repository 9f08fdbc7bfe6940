#include "pages/MaxMinPage.h"

CMaxMinPage::CMaxMinPage(IMainWindow& main, QWidget* parent) : CMeterPage(kTemplateId, main, parent) {}
