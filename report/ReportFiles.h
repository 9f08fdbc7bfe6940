#pragma once

#include <QString>

struct Report;

enum class ReportFormat
{
    Html,
    Pdf,
    Json
};

// Writes the report in the format to the file, which is replaced only once it is written whole;
// false with why set ("cannot write panel.pdf: Permission denied") when it cannot be.
bool SaveReport(const Report& report, ReportFormat format, const QString& path, QString& why);
