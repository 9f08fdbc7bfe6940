#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

enum class OutputFormat
{
    Table,
    Csv,
    Json
};

std::optional<OutputFormat> OutputFormatNamed(const QString& name);

// Rows of texts under named columns, as the commands print them: aligned
// columns for a terminal, CSV with a heading line, or a JSON array of objects
// keyed by the column names (every value a string, exactly as shown).
struct TextTable
{
    QStringList columns;
    QList<QStringList> rows;

    QString Render(OutputFormat format) const;
};

// One CSV field: quoted when it holds a comma, a quote or a line break.
QString CsvField(const QString& text);
QString CsvLine(const QStringList& fields);
