#include "diagnosis/CheckText.h"

#include <QStringList>

namespace Diagnosis {
namespace {
QString Mark(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Fault:
        return QStringLiteral("FAULT");
    case Verdict::Warning:
        return QStringLiteral("WARN");
    case Verdict::Ok:
        return QStringLiteral("ok");
    case Verdict::NotChecked:
        break;
    }
    return QStringLiteral("--");
}
} // namespace

QString PhaseLetters(const Finding& finding)
{
    QStringList letters;
    for (const int phase : finding.phases)
        letters << PhaseLetter(phase);
    return letters.join(QLatin1Char(' '));
}

QString CheckText(const CheckResult& result)
{
    QString text = QStringLiteral("nominal phase voltage %1 V (%2), flow %3, load %4\n\n")
                       .arg(result.nominalPhaseVoltage, 0, 'f', 1)
                       .arg(result.nominalDeclared ? QStringLiteral("declared")
                                                   : QStringLiteral("assumed from the measured voltages"),
                            QLatin1String(FlowName(result.declarations.flow)),
                            QLatin1String(LoadName(result.declarations.load)));
    for (const Finding& finding : result.findings) {
        text += QStringLiteral("%1 %2 %3 %4\n")
                    .arg(Mark(finding.verdict).leftJustified(5), finding.id.leftJustified(17),
                         PhaseLetters(finding).leftJustified(5), finding.evidence);
        if (finding.verdict == Verdict::Fault || finding.verdict == Verdict::Warning)
            text += QStringLiteral("      %1\n").arg(finding.advice);
    }
    return text;
}

} // namespace Diagnosis
