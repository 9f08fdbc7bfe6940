#include "pages/MainWindowLink.h"

int32_t CurrentPage = 100;
int32_t PollIntervalMs = 500;
