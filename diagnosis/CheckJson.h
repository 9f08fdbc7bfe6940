#pragma once

#include "diagnosis/Finding.h"

#include <QJsonArray>
#include <QJsonObject>

// The check as data: {"nominal_phase_voltage": volts, "flow": "import", "checks": [...]},
// each check {"id", "verdict", "phases": ["A", ...], "evidence", "advice"}.
namespace Diagnosis {

QJsonArray ChecksJson(const std::vector<Finding>& findings);
QJsonObject CheckResultJson(const CheckResult& result);

} // namespace Diagnosis
