#include "widgets/GridClipboard.h"

#include "widgets/GridCtrl.h"
#include "widgets/GridInPlaceEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRegularExpression>

QString JoinClipboardRows(const QList<QStringList>& rows)
{
    QStringList lines;
    lines.reserve(rows.size());
    for (const QStringList& fields : rows)
        lines.append(fields.join(QLatin1Char('\t')));
    return lines.join(QLatin1Char('\n'));
}

QList<QStringList> SplitClipboardText(const QString& text)
{
    static const QRegularExpression fieldSeparator(QStringLiteral("[\t,]"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();

    QList<QStringList> rows;
    rows.reserve(lines.size());
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        rows.append(line.split(fieldSeparator));
    }
    return rows;
}

QString CGridClipboard::SelectionText() const
{
    const CellRange range = m_grid.Selection().SelectedRange();
    QList<QStringList> rows;
    for (int row = range.minRow; range.IsValid() && row <= range.maxRow; ++row) {
        if (m_grid.RowHeightPixels(row) <= 0)
            continue;
        QStringList fields;
        for (int column = range.minColumn; column <= range.maxColumn; ++column) {
            if (m_grid.ColumnWidthPixels(column) <= 0)
                continue;
            fields.append(m_grid.Selection().IsCellSelected(row, column) ? m_grid.CellText(row, column)
                                                                         : QString());
        }
        rows.append(fields);
    }
    return JoinClipboardRows(rows);
}

void CGridClipboard::Copy()
{
    if (m_grid.Selection().SelectedCells().empty())
        return;
    QApplication::clipboard()->setText(SelectionText());
}

void CGridClipboard::Cut()
{
    if (!m_grid.IsEditable())
        return;
    Copy();
    ClearSelectedCells();
}

void CGridClipboard::ClearSelectedCells()
{
    if (!m_grid.IsEditable())
        return;
    const std::set<CellId> selected = m_grid.Selection().SelectedCells();
    for (const CellId& cell : selected)
        ReplaceCellText(cell.row, cell.column, QString());
}

CellId CGridClipboard::PasteTarget() const
{
    const CellRange range = m_grid.Selection().SelectedRange();
    if (range.IsValid())
        return CellId{range.minRow, range.minColumn};
    if (m_grid.FocusCell().IsValid())
        return m_grid.FocusCell();
    return m_grid.TopLeftNonFixedCell();
}

void CGridClipboard::Paste()
{
    if (!m_grid.IsEditable())
        return;
    const CellId target = PasteTarget();
    CGridCellBase* targetCell = m_grid.CellAt(target.row, target.column);
    if (targetCell && targetCell->IsEditing() && targetCell->EditorWindow()) {
        targetCell->EditorWindow()->paste();
        return;
    }
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!m_grid.CellEditable(target.row, target.column) || !data || !data->hasText())
        return;
    const QList<QStringList> rows = SplitClipboardText(data->text());
    for (int line = 0; line < rows.size(); ++line) {
        for (int field = 0; field < rows[line].size(); ++field)
            ReplaceCellText(target.row + line, target.column + field, rows[line][field]);
    }
}

void CGridClipboard::ReplaceCellText(int row, int column, const QString& text)
{
    if (!m_grid.CellEditable(row, column))
        return;
    if (m_grid.Notify(GridNotification::BeginEdit, row, column) < 0)
        return;
    m_grid.CommitCellEdit(row, column, text);
}
