#pragma once

#include "diagnosis/Finding.h"

#include <QString>

// The findings of a wiring check as an HTML table, one row per finding with a coloured
// mark, its check, phases, evidence and, for a fault or warning, its advice: for the
// report's section and the window's list alike (Qt's rich text draws the same table).
QString FindingsHtml(const Diagnosis::CheckResult& result);
// The declarations the check ran with, as one sentence.
QString DeclarationsText(const Diagnosis::CheckResult& result);
