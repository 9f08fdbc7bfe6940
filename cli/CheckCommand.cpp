#include "cli/Command.h"
#include "diagnosis/CheckJson.h"
#include "diagnosis/CheckText.h"
#include "diagnosis/WiringCheck.h"
#include "reading/CheckRead.h"

#include <QJsonDocument>

namespace {
using namespace Diagnosis;

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
    if (!command.words.isEmpty())
        return command.BadUsage(QStringLiteral("check takes no words, only options"));
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
        command.io.out << CheckText(result);
        if (!result.nominalDeclared)
            command.io.out << "\nThe nominal voltage was assumed; --nominal VOLTS declares it.\n";
        break;
    }
    return result.HasFault() ? kExitFault : kExitSuccess;
}
