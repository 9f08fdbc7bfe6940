#include "cli/Command.h"
#include "report/Report.h"
#include "report/ReportFiles.h"

namespace {
// Each file asked for, as long as the ones before it could be written.
bool WriteFiles(const Command& command, const Report& report, QString& why)
{
    const auto written = [&](const char* option, ReportFormat format) {
        return !command.options.isSet(option) ||
               SaveReport(report, format, command.options.value(option), why);
    };
    return written("out", ReportFormat::Html) && written("pdf", ReportFormat::Pdf) &&
           written("json", ReportFormat::Json);
}
} // namespace

int RunReport(const Command& command)
{
    if (!command.words.isEmpty() || (!command.options.isSet("out") && !command.options.isSet("pdf")))
        return command.BadUsage(QStringLiteral(
            "report takes --out FILE.html or --pdf FILE.pdf or both and, if wanted, --json FILE.json"));
    Diagnosis::Declarations declared;
    if (const QString bad = TakeDeclarations(command, declared); !bad.isEmpty())
        return command.BadUsage(bad);
    MeterLink link(command.line);
    if (!command.Open(link))
        return kExitNoAnswer;
    const Report report = ReadReport(link, declared);
    QString why;
    if (!WriteFiles(command, report, why))
        return command.FileNotWritten(why);
    for (const char* option : {"out", "pdf"})
        if (command.options.isSet(option))
            command.io.out << "report written to " << command.options.value(option) << '\n';
    const QStringList missing = report.Missing();
    if (missing.isEmpty())
        return kExitSuccess;
    command.io.err << "vemo400-cli: " << link.Where() << ": the report misses " << missing.join(", ") << '\n';
    return kExitNoAnswer;
}
