#include "reading/TextTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>

namespace {
QString RenderAligned(const TextTable& table)
{
    QList<int> widths;
    for (const QString& column : table.columns)
        widths << column.size();
    for (const QStringList& row : table.rows)
        for (int c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<int>(row[c].size()));
    const auto line = [&widths](const QStringList& cells) {
        QString text;
        for (int c = 0; c < cells.size(); ++c)
            text += c + 1 < cells.size() ? cells[c].leftJustified(widths[c] + 2) : cells[c];
        return text.trimmed() + '\n';
    };
    QString text = line(table.columns);
    for (const QStringList& row : table.rows)
        text += line(row);
    return text;
}

QString RenderJson(const TextTable& table)
{
    QJsonArray rows;
    for (const QStringList& row : table.rows) {
        QJsonObject object;
        for (int c = 0; c < row.size() && c < table.columns.size(); ++c)
            object.insert(table.columns[c], JsonCell(row[c]));
        rows.append(object);
    }
    return QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
}
} // namespace

std::optional<OutputFormat> OutputFormatNamed(const QString& name)
{
    if (name == QLatin1String("table"))
        return OutputFormat::Table;
    if (name == QLatin1String("csv"))
        return OutputFormat::Csv;
    if (name == QLatin1String("json"))
        return OutputFormat::Json;
    return std::nullopt;
}

QString TextTable::Render(OutputFormat format) const
{
    switch (format) {
    case OutputFormat::Table:
        return RenderAligned(*this);
    case OutputFormat::Json:
        return RenderJson(*this);
    case OutputFormat::Csv:
        break;
    }
    QString text = CsvLine(columns);
    for (const QStringList& row : rows) {
        QStringList cells;
        for (const QString& cell : row)
            cells << DataCell(cell);
        text += CsvLine(cells);
    }
    return text;
}

std::optional<double> NumberIn(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    const QString trimmed = text.trimmed();
    if (!number.match(trimmed).hasMatch())
        return std::nullopt;
    return trimmed.toDouble();
}

QString DataCell(const QString& text)
{
    return NumberIn(text) ? text.trimmed() : text;
}

QJsonValue JsonCell(const QString& text)
{
    const std::optional<double> number = NumberIn(text);
    return number ? QJsonValue(*number) : QJsonValue(text);
}

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return '"' + quoted + '"';
}

QString CsvLine(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted << CsvField(field);
    return quoted.join(QLatin1Char(',')) + '\n';
}
