#include "report/CheckHtml.h"

#include "diagnosis/CheckText.h"

namespace {
using Diagnosis::Verdict;

struct Mark
{
    const char* text;
    const char* colour;
};

Mark MarkOf(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Fault:
        return {"FAULT", "#c00000"};
    case Verdict::Warning:
        return {"WARNING", "#c06000"};
    case Verdict::Ok:
        return {"OK", "#207020"};
    case Verdict::NotChecked:
        break;
    }
    return {"NOT CHECKED", "#707070"};
}
} // namespace

QString DeclarationsText(const Diagnosis::CheckResult& result)
{
    return QStringLiteral("Nominal phase voltage %1 V (%2); power flow %3; load %4.")
        .arg(result.nominalPhaseVoltage, 0, 'f', 1)
        .arg(result.nominalDeclared ? QStringLiteral("declared")
                                    : QStringLiteral("assumed from the measured voltages"),
             QLatin1String(Diagnosis::FlowName(result.declarations.flow)),
             QLatin1String(Diagnosis::LoadName(result.declarations.load)));
}

QString FindingsHtml(const Diagnosis::CheckResult& result)
{
    QString html =
        QStringLiteral("<table class=\"checks\">\n<thead><tr><th></th><th>Check</th><th>Phases</th>"
                       "<th>Evidence</th></tr></thead>\n<tbody>\n");
    for (const Diagnosis::Finding& finding : result.findings) {
        const Mark mark = MarkOf(finding.verdict);
        QString evidence = finding.evidence.toHtmlEscaped();
        if (finding.verdict == Verdict::Fault || finding.verdict == Verdict::Warning)
            evidence += QStringLiteral("<br><i>%1</i>").arg(finding.advice.toHtmlEscaped());
        html += QStringLiteral("<tr><td><b style=\"color: %1\">%2</b></td><td><code>%3</code></td><td>%4</td>"
                               "<td>%5</td></tr>\n")
                    .arg(QLatin1String(mark.colour), QLatin1String(mark.text), finding.id.toHtmlEscaped(),
                         Diagnosis::PhaseLetters(finding), evidence);
    }
    return html + QStringLiteral("</tbody>\n</table>\n");
}
