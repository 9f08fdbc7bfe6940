#pragma once

#include "diagnosis/Finding.h"

#include <QString>

// The check as plain text for a terminal or a file: the declarations, then one line per
// finding with its mark (FAULT, WARN, ok, --), check, phases and evidence, and below a
// fault or a warning its advice.
namespace Diagnosis {

QString CheckText(const CheckResult& result);
QString PhaseLetters(const Finding& finding); // "A B"

} // namespace Diagnosis
