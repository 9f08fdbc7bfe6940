#include "cli/Command.h"
#include "diagnosis/CheckJson.h"
#include "diagnosis/WiringCheck.h"
#include "reading/CheckRead.h"

#include <QJsonDocument>

namespace {
using namespace Diagnosis;

QString TakeDeclarations(const Command& command, Declarations& declared)
{
    if (!command.words.isEmpty())
        return QStringLiteral("check takes no words, only options");
    if (command.options.isSet("nominal")) {
        bool ok = false;
        const double volts = command.options.value("nominal").toDouble(&ok);
        if (!ok || !(volts >= 1.0 && volts <= 1e6))
            return QStringLiteral(
                "--nominal must be the phase-to-neutral voltage in volts, from 1 to 1000000");
        declared.nominalPhaseVoltage = volts;
    }
    const QString flow = command.options.value("flow");
    if (flow == QLatin1String("export"))
        declared.flow = Flow::Export;
    else if (flow == QLatin1String("both"))
        declared.flow = Flow::Both;
    else if (command.options.isSet("flow") && flow != QLatin1String("import"))
        return QStringLiteral("--flow must be import, export or both");
    const QString load = command.options.value("load");
    if (load == QLatin1String("capacitive"))
        declared.load = Load::Capacitive;
    else if (command.options.isSet("load") && load != QLatin1String("inductive"))
        return QStringLiteral("--load must be inductive or capacitive");
    return {};
}

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

QString PhaseLetters(const Finding& finding)
{
    QStringList letters;
    for (const int phase : finding.phases)
        letters << PhaseLetter(phase);
    return letters.join(QLatin1Char(' '));
}

// One line per finding with its mark; a fault's or warning's advice indented below it.
QString Table(const CheckResult& result)
{
    QString text = QStringLiteral("nominal phase voltage %1 V (%2), flow %3, load %4\n\n")
                       .arg(result.nominalPhaseVoltage, 0, 'f', 1)
                       .arg(result.nominalDeclared ? QStringLiteral("declared")
                                                   : QStringLiteral("assumed from the measured voltages; "
                                                                    "--nominal declares it"),
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

QString Csv(const CheckResult& result)
{
    TextTable table{{"verdict", "check", "phases", "evidence", "advice"}, {}};
    for (const Finding& finding : result.findings)
        table.rows.append({QLatin1String(VerdictName(finding.verdict)), finding.id, PhaseLetters(finding),
                           finding.evidence, finding.advice});
    return table.Render(OutputFormat::Csv);
}
} // namespace

// Reads the meter once and says whether it is connected and set up right.
int RunCheck(const Command& command)
{
    Declarations declared;
    if (const QString bad = TakeDeclarations(command, declared); !bad.isEmpty())
        return command.BadUsage(bad);
    MeterLink link(command.line);
    if (!command.Open(link))
        return kExitNoAnswer;
    CheckInput input;
    QString what;
    if (!ReadCheckInput([&link](const PageReads::Request& request) { return link.Read(request); }, input,
                        what))
        return command.Failed(link);
    const CheckResult result = Check(input, declared);
    switch (command.format) {
    case OutputFormat::Json:
        command.io.out << QJsonDocument(CheckResultJson(result)).toJson(QJsonDocument::Indented);
        break;
    case OutputFormat::Csv:
        command.io.out << Csv(result);
        break;
    case OutputFormat::Table:
        command.io.out << Table(result);
        break;
    }
    return result.HasFault() ? kExitFault : kExitSuccess;
}
