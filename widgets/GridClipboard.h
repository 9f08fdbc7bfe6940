#pragma once

#include "widgets/GridTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

class CGridCtrl;

// The plain-text form of a block of cells that other programs (spreadsheets,
// text editors) read and write: one line per row, a tab between columns.

// Rows joined with line feeds, fields with tabs; nothing after the last row.
QString JoinClipboardRows(const QList<QStringList>& rows);

// Lines split at line feeds (a carriage return before one is dropped, so text
// copied on Windows pastes cleanly), fields at tabs or commas. Empty fields
// keep their place, so a block pastes back in the shape it was copied; a final
// line feed ends the last line rather than starting an empty one.
QList<QStringList> SplitClipboardText(const QString& text);

// Copy, cut, paste and delete on a grid's selection. Every text the user
// changes this way passes the same begin-edit and end-edit checks as a typed
// edit, so the owner can refuse it.
class CGridClipboard
{
public:
    explicit CGridClipboard(CGridCtrl& grid) : m_grid(grid) {}

    // The selected cells of the selected block, hidden rows and columns left out.
    void Copy();
    void Cut();
    // Fills the block below and right of the selection's top-left cell (or the
    // focus cell, or the top-left visible cell); positions outside the table are skipped.
    void Paste();
    // Clears every selected cell that may be edited.
    void ClearSelectedCells();

private:
    QString SelectionText() const;
    CellId PasteTarget() const;
    void ReplaceCellText(int row, int column, const QString& text);

    CGridCtrl& m_grid;
};
