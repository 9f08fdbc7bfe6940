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
// columns for a terminal exactly as shown, CSV with a heading line, or a JSON
// array of objects keyed by the column names. In CSV and JSON a cell that shows
// a number carries it without the padding of the display, in JSON as a number.
struct TextTable
{
    QStringList columns;
    QList<QStringList> rows;

    QString Render(OutputFormat format) const;
};

// The number a cell shows, when its text is a plain decimal number ("0.5 ", "-12", "230.000").
std::optional<double> NumberIn(const QString& text);
// A cell as the data formats carry it: a number without padding, any other text as it is.
QString DataCell(const QString& text);
// A cell as JSON carries it: a number, or the text.
class QJsonValue;
QJsonValue JsonCell(const QString& text);

// One CSV field: quoted when it holds a comma, a quote or a line break.
QString CsvField(const QString& text);
QString CsvLine(const QStringList& fields);
