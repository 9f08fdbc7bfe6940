#include "cli/Command.h"
#include "report/Report.h"
#include "report/ReportHtml.h"
#include "report/ReportJson.h"
#include "report/ReportPdf.h"

#include <QSaveFile>
#include <functional>

namespace {
// A file is replaced only once it is written whole.
bool WriteWhole(const QString& path, const std::function<bool(QIODevice&)>& write, QString& why)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && write(file) && file.commit())
        return true;
    why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
}

std::function<bool(QIODevice&)> Bytes(const QByteArray& content)
{
    return [content](QIODevice& file) { return file.write(content) == content.size(); };
}

// Each file asked for, as long as the ones before it could be written.
bool WriteFiles(const Command& command, const Report& report, QString& why)
{
    const auto wanted = [&command](const char* option) { return command.options.isSet(option); };
    const auto path = [&command](const char* option) { return command.options.value(option); };
    return (!wanted("out") || WriteWhole(path("out"), Bytes(ReportHtml(report).toUtf8()), why)) &&
           (!wanted("pdf") ||
            WriteWhole(
                path("pdf"), [&report](QIODevice& file) { return WriteReportPdf(report, file); }, why)) &&
           (!wanted("json") || WriteWhole(path("json"), Bytes(ReportJson(report)), why));
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
