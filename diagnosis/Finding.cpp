#include "diagnosis/Finding.h"

#include <QStringList>
#include <algorithm>

namespace Diagnosis {

bool CheckResult::HasFault() const
{
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& finding) { return finding.verdict == Verdict::Fault; });
}

const char* VerdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Ok:
        return "ok";
    case Verdict::Warning:
        return "warning";
    case Verdict::Fault:
        return "fault";
    case Verdict::NotChecked:
        break;
    }
    return "not checked";
}

const char* FlowName(Flow flow)
{
    switch (flow) {
    case Flow::Import:
        return "import";
    case Flow::Export:
        return "export";
    case Flow::Both:
        break;
    }
    return "both";
}

const char* LoadName(Load load)
{
    return load == Load::Inductive ? "inductive" : "capacitive";
}

char PhaseName(int phase)
{
    return static_cast<char>('A' + phase);
}

QString PhaseLetter(int phase)
{
    return QString(QLatin1Char(PhaseName(phase)));
}

QString PhaseList(const std::vector<int>& phases)
{
    QStringList names;
    for (const int phase : phases)
        names << PhaseLetter(phase);
    if (names.size() < 2)
        return names.join(QString());
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

} // namespace Diagnosis
