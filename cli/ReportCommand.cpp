#include "cli/Command.h"
#include "report/Report.h"
#include "report/ReportHtml.h"
#include "report/ReportJson.h"

#include <QSaveFile>

namespace {
// A file is replaced only once it is written whole.
bool WriteWhole(const QString& path, const QByteArray& content, QString& why)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
        return true;
    why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
}
} // namespace

int RunReport(const Command& command)
{
    if (!command.words.isEmpty() || !command.options.isSet("out"))
        return command.BadUsage(
            QStringLiteral("report takes --out FILE.html and, if wanted, --json FILE.json"));
    Diagnosis::Declarations declared;
    if (const QString bad = TakeDeclarations(command, declared); !bad.isEmpty())
        return command.BadUsage(bad);
    MeterLink link(command.line);
    if (!command.Open(link))
        return kExitNoAnswer;
    const Report report = ReadReport(link, declared);
    QString why;
    if (!WriteWhole(command.options.value("out"), ReportHtml(report).toUtf8(), why) ||
        (command.options.isSet("json") &&
         !WriteWhole(command.options.value("json"), ReportJson(report), why)))
        return command.FileNotWritten(why);
    command.io.out << "report written to " << command.options.value("out") << '\n';
    const QStringList missing = report.Missing();
    if (missing.isEmpty())
        return kExitSuccess;
    command.io.err << "vemo400-cli: " << link.Where() << ": the report misses " << missing.join(", ") << '\n';
    return kExitNoAnswer;
}
