#include "report/ReportFiles.h"

#include "report/ReportHtml.h"
#include "report/ReportJson.h"
#include "report/ReportPdf.h"

#include <QSaveFile>

namespace {
bool WriteBytes(QIODevice& file, const QByteArray& content)
{
    return file.write(content) == content.size();
}

bool Write(const Report& report, ReportFormat format, QIODevice& file)
{
    switch (format) {
    case ReportFormat::Html:
        return WriteBytes(file, ReportHtml(report).toUtf8());
    case ReportFormat::Pdf:
        return WriteReportPdf(report, file);
    case ReportFormat::Json:
        return WriteBytes(file, ReportJson(report));
    }
    return false;
}
} // namespace

bool SaveReport(const Report& report, ReportFormat format, const QString& path, QString& why)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && Write(report, format, file) && file.commit())
        return true;
    why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
}
