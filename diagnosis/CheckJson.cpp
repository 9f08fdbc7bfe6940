#include "diagnosis/CheckJson.h"

#include <cmath>

namespace Diagnosis {

QJsonArray ChecksJson(const std::vector<Finding>& findings)
{
    QJsonArray checks;
    for (const Finding& finding : findings) {
        QJsonArray phases;
        for (const int phase : finding.phases)
            phases.append(PhaseLetter(phase));
        checks.append(QJsonObject{{"id", finding.id},
                                  {"verdict", QLatin1String(VerdictName(finding.verdict))},
                                  {"phases", phases},
                                  {"evidence", finding.evidence},
                                  {"advice", finding.advice}});
    }
    return checks;
}

QJsonObject CheckResultJson(const CheckResult& result)
{
    // Tenths of a volt: the nominal is a standard voltage times a whole-number ratio.
    return {{"nominal_phase_voltage", std::round(result.nominalPhaseVoltage * 10.0) / 10.0},
            {"flow", QLatin1String(FlowName(result.declarations.flow))},
            {"checks", ChecksJson(result.findings)}};
}

} // namespace Diagnosis
