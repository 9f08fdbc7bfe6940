#pragma once

#include "widgets/GridTypes.h"

#include <QLineEdit>
#include <QPointer>

class CGridCtrl;

// The single-line editor opened over a cell. It tells the grid once, when the
// edit ends, which text it holds and which key ended it; then it deletes itself.
class CGridInPlaceEdit : public QLineEdit
{
    Q_OBJECT
public:
    // rect is in the grid viewport's coordinates; firstKey as for CGridCtrl::BeginCellEdit.
    CGridInPlaceEdit(CGridCtrl* grid, const QRect& rect, Qt::Alignment alignment, int id, CellId cell,
                     const QString& text, int firstKey);

    int Id() const { return m_id; }
    CellId Cell() const { return m_cell; }
    // Feeds a key to the editor as if typed.
    void ReplayKey(int key);
    // Ends the edit as a loss of focus would.
    void EndEdit() { Finish(0); }
    // The grid is going away: close without telling it anything.
    void Detach() { m_grid = nullptr; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void StartWith(int firstKey);
    bool EndsEdit(const QKeyEvent& event) const;
    void WidenToFitText();
    void Finish(int key);

    QPointer<CGridCtrl> m_grid;
    CellId m_cell;
    int m_id;
    bool m_exitOnArrows;
    bool m_finished = false;
};
