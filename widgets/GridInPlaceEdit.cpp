#include "widgets/GridInPlaceEdit.h"

#include "widgets/GridCtrl.h"
#include "widgets/GridKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>

namespace {

// First keys that open the editor with the whole text selected and are not typed into it.
bool SelectsOnly(int key)
{
    return key == ' ' || GridKeys::IsTab(key) || GridKeys::MovesFocus(key);
}

} // namespace

CGridInPlaceEdit::CGridInPlaceEdit(CGridCtrl* grid, const QRect& rect, Qt::Alignment alignment, int id,
                                   CellId cell, const QString& text, int firstKey)
    : QLineEdit(grid->viewport()), m_grid(grid), m_cell(cell), m_id(id),
      m_exitOnArrows(firstKey != kEditByMouse)
{
    setFrame(false);
    setTextMargins(1, 0, 1, 0);
    setAlignment(alignment | Qt::AlignVCenter);
    setFont(grid->DefaultCellOf(false, false).Font());
    setGeometry(rect);
    setText(text);
    show();
    setFocus(Qt::OtherFocusReason);
    connect(this, &QLineEdit::textEdited, this, &CGridInPlaceEdit::WidenToFitText);
    StartWith(firstKey);
}

void CGridInPlaceEdit::StartWith(int firstKey)
{
    if (firstKey == kEditByMouse || firstKey == Qt::Key_Return || firstKey == Qt::Key_Enter) {
        end(false);
        return;
    }
    if (firstKey == Qt::Key_Backspace) {
        end(false);
        ReplayKey(firstKey);
        return;
    }
    selectAll();
    if (!SelectsOnly(firstKey))
        ReplayKey(firstKey);
}

void CGridInPlaceEdit::ReplayKey(int key)
{
    if (key >= Qt::Key_Escape) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &press);
        return;
    }
    const char32_t character = char32_t(key);
    const QString text = QString::fromUcs4(&character, 1);
    const int code = key < 0x80 ? QChar(key).toUpper().unicode() : int(Qt::Key_unknown);
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(this, &press);
}

bool CGridInPlaceEdit::EndsEdit(const QKeyEvent& event) const
{
    const int key = event.key();
    if (GridKeys::IsTab(key) || key == Qt::Key_Return || key == Qt::Key_Enter)
        return true;
    return GridKeys::EndsTypedEdit(key) && (m_exitOnArrows || (event.modifiers() & Qt::ControlModifier));
}

// Tab would move the keyboard focus and Escape or Return would reach the
// dialog; the editor keeps every key for itself.
bool CGridInPlaceEdit::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (GridKeys::IsTab(key->key())) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CGridInPlaceEdit::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (event->key() == Qt::Key_Escape) {
        Finish(Qt::Key_Escape);
        return;
    }
    if (EndsEdit(*event)) {
        Finish(event->key() == Qt::Key_Enter ? int(Qt::Key_Return) : event->key());
        return;
    }
    if (event->modifiers() & Qt::AltModifier)
        return;
    QLineEdit::keyPressEvent(event);
}

void CGridInPlaceEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        Finish(0);
}

void CGridInPlaceEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Grows to the right while the text outgrows the editor, never past the grid's edge.
void CGridInPlaceEdit::WidenToFitText()
{
    const int wanted = fontMetrics().horizontalAdvance(text() + QStringLiteral("  "));
    if (wanted <= width())
        return;
    const int limit = parentWidget()->width() - x();
    resize(std::min(wanted, limit), height());
}

void CGridInPlaceEdit::Finish(int key)
{
    if (m_finished)
        return;
    m_finished = true;
    const QString finalText = text();
    if (hasFocus() && m_grid)
        m_grid->setFocus(Qt::OtherFocusReason);
    hide();
    if (m_grid)
        m_grid->OnEndInPlaceEdit(m_cell, finalText, key);
    deleteLater();
}
