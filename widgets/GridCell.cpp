#include "widgets/GridCell.h"

#include "widgets/GridCtrl.h"
#include "widgets/GridInPlaceEdit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {

// A rectangle as the cell-drawing steps move its edges: right and bottom are
// one past the last pixel, so "widened by one" reaches the grid-line pixels.
struct EdgeRect
{
    int left, top, right, bottom;

    static EdgeRect FromCell(const QRect& cell)
    {
        return {cell.left(), cell.top(), cell.left() + cell.width() - 1, cell.top() + cell.height() - 1};
    }
    QRect Pixels() const { return QRect(left, top, right - left, bottom - top); }
};

void FramePixels(QPainter& painter, const QRect& r, const QColor& colour)
{
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
}

int QtAlignment(quint32 format)
{
    int flags = Qt::AlignLeft;
    if (format & Gdi::DT_RIGHT)
        flags = Qt::AlignRight;
    else if (format & Gdi::DT_CENTER)
        flags = Qt::AlignHCenter;
    // Vertical placement only exists for single lines; several lines start at the top.
    if ((format & Gdi::DT_SINGLELINE) && (format & Gdi::DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if ((format & Gdi::DT_SINGLELINE) && (format & Gdi::DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & Gdi::DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    else if (format & Gdi::DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    return flags;
}

// Cuts the text with an ellipsis when the format asks for it and it does not fit.
QString FittedText(const QString& text, quint32 format, const QFontMetrics& metrics, int width,
                   int& textWidth)
{
    textWidth = metrics.horizontalAdvance(text);
    if (textWidth <= width || !(format & Gdi::DT_END_ELLIPSIS) || !(format & Gdi::DT_SINGLELINE))
        return text;
    QString elided = metrics.elidedText(text, Qt::ElideRight, width);
    textWidth = metrics.horizontalAdvance(elided);
    return elided;
}

// A single line that fits is placed by hand: laying it out through the
// rectangle form of drawText costs several times more, and every poll
// redraws every cell.
void DrawCellText(QPainter& painter, const QRect& rect, const QString& text, quint32 format)
{
    if (text.isEmpty() || rect.width() <= 0 || rect.height() <= 0)
        return;
    const QFontMetrics metrics(painter.font());
    int width = 0;
    const QString shown = FittedText(text, format, metrics, rect.width(), width);
    const bool simple =
        (format & Gdi::DT_SINGLELINE) && width <= rect.width() && metrics.height() <= rect.height();
    if (!simple) {
        painter.drawText(rect, QtAlignment(format), shown);
        return;
    }
    int x = rect.left();
    if (format & Gdi::DT_RIGHT)
        x = rect.left() + rect.width() - width;
    else if (format & Gdi::DT_CENTER)
        x = rect.left() + (rect.width() - width) / 2;
    int y = rect.top() + metrics.ascent();
    if (format & Gdi::DT_VCENTER)
        y += (rect.height() - metrics.height()) / 2;
    else if (format & Gdi::DT_BOTTOM)
        y = rect.top() + rect.height() - metrics.descent();
    painter.drawText(QPoint(x, y), shown);
}

} // namespace

const CGridDefaultCell* CGridCellBase::DefaultCell() const
{
    const CGridCtrl* grid = Grid();
    return grid ? &grid->DefaultCellOf(IsFixedRow(), IsFixedColumn()) : nullptr;
}

void CGridCellBase::AssignFrom(const CGridCellBase& other)
{
    SetText(other.Text());
    SetImage(other.Image());
    SetParam(other.Param());
    SetFormat(other.Format());
    SetTextColour(other.TextColour());
    SetBackColour(other.BackColour());
    const QFont font = other.Font();
    SetFont(other.IsDefaultFont() ? nullptr : &font);
    SetMargin(other.Margin());
}

void CGridCellBase::Reset()
{
    m_state = 0;
}

bool CGridCellBase::ValidateEdit(const QString& /*text*/)
{
    return true;
}

QRect CGridCellBase::TextRect(const QRect& cellRect) const
{
    return cellRect;
}

QSize CGridCellBase::TextExtent(const QString& text) const
{
    const QFontMetrics metrics(Font());
    const QSize size = metrics.size(0, text);
    return QSize(size.width() + 2 * Margin(), size.height() + 2 * Margin());
}

QSize CGridCellBase::CellExtent() const
{
    return TextExtent(Text());
}

bool CGridCellBase::Draw(QPainter& painter, int row, int column, QRect rect, bool eraseBackground)
{
    const CGridCtrl* grid = Grid();
    if (!grid || rect.width() <= 0 || rect.height() <= 0)
        return false;
    QColor text = ColourFromRef(TextColour());
    const QColor background = ColourFromRef(BackColour());
    const bool fill = eraseBackground || HasOwnBackColour();
    const QPalette& palette = grid->palette();

    QRect textRect = EdgeRect::FromCell(rect).Pixels();
    if (IsFocused() || IsDropHighlighted()) {
        textRect = DrawFocusLook(painter, rect, fill, background, text);
    } else if (IsSelected()) {
        painter.fillRect(rect, palette.color(QPalette::Highlight));
        text = palette.color(QPalette::HighlightedText);
    } else if (fill) {
        painter.fillRect(rect, background);
    }
    if (IsFixed() && grid->GridLineMode() != GridLinesNone)
        textRect = DrawFixedLook(painter, rect, textRect, row, column);

    // Setting a font resolves it against the device each time; most cells share one.
    const QFont font = Font();
    if (painter.font() != font)
        painter.setFont(font);
    const int margin = Margin();
    textRect.adjust(margin, 0, -margin, 0);
    if (row == 0 && grid->SortColumn() == column)
        textRect = DrawSortArrow(painter, textRect);
    painter.setPen(text);
    DrawCellText(painter, textRect, Text(), Format() | Gdi::DT_NOPREFIX);
    return true;
}

QRect CGridCellBase::DrawFocusLook(QPainter& painter, const QRect& cellRect, bool fill, QColor background,
                                   QColor& text) const
{
    const CGridCtrl* grid = Grid();
    if (IsSelected()) {
        background = grid->palette().color(QPalette::Highlight);
        text = grid->palette().color(QPalette::HighlightedText);
        fill = true;
    }
    if (fill)
        painter.fillRect(cellRect, background);
    // With grid lines the frame stays inside them; without, it takes the whole cell.
    const bool lines = grid->GridLineMode() != GridLinesNone;
    EdgeRect edges = EdgeRect::FromCell(cellRect);
    if (grid->FrameFocusCell())
        FramePixels(painter, lines ? edges.Pixels() : cellRect, text);
    edges.top += 1;
    edges.right -= 1;
    edges.bottom -= 1;
    return edges.Pixels();
}

QRect CGridCellBase::DrawFixedLook(QPainter& painter, const QRect& cellRect, const QRect& textRect, int row,
                                   int column) const
{
    const CGridCtrl* grid = Grid();
    const QPalette& palette = grid->palette();
    const CellId focus = grid->FocusCell();
    const bool sunken =
        grid->TrackFocusCell() && focus.IsValid() && (focus.row == row || focus.column == column);
    const EdgeRect edges = EdgeRect::FromCell(cellRect);
    const int width = edges.right - edges.left;
    const int height = edges.bottom - edges.top;
    if (sunken) {
        const QColor dark = palette.color(QPalette::Shadow);
        const QColor light = palette.color(QPalette::Midlight);
        painter.fillRect(QRect(cellRect.left(), cellRect.top(), cellRect.width(), 1), dark);
        painter.fillRect(QRect(cellRect.left(), cellRect.top(), 1, cellRect.height()), dark);
        painter.fillRect(QRect(cellRect.left() + 1, cellRect.bottom(), cellRect.width() - 1, 1), light);
        painter.fillRect(QRect(cellRect.right(), cellRect.top() + 1, 1, cellRect.height() - 1), light);
    } else {
        const QColor light = palette.color(QPalette::Light);
        const QColor dark = palette.color(QPalette::Shadow);
        painter.fillRect(QRect(edges.left + 1, edges.top, width, 1), light);
        painter.fillRect(QRect(edges.left, edges.top, 1, height), light);
        painter.fillRect(QRect(edges.right, edges.top, 1, height), dark);
        painter.fillRect(QRect(edges.left + 1, edges.bottom, width, 1), dark);
    }
    return textRect.adjusted(1, 1, -1, -1);
}

// The triangle of the sort column's header, pointing up for ascending order.
QRect CGridCellBase::DrawSortArrow(QPainter& painter, const QRect& textRect) const
{
    const CGridCtrl* grid = Grid();
    const QFontMetrics metrics(painter.font());
    const int offset = 2;
    const int size = std::min(metrics.height() - 2 * offset, textRect.height() - 2 * offset);
    if (size <= 0)
        return textRect;
    const int left = textRect.right() + 1 - size;
    const int top = textRect.top() + (textRect.height() - size) / 2;
    const int bottom = top + size - 1;
    const int middle = left + size / 2;
    const QPalette& palette = grid->palette();
    const QPen shadow(palette.color(QPalette::Dark));
    const QPen highlight(palette.color(QPalette::Light));
    if (grid->SortAscending()) {
        painter.setPen(highlight);
        painter.drawLine(middle, top, left + size - 1, bottom);
        painter.drawLine(left + size - 1, bottom, left, bottom);
        painter.setPen(shadow);
        painter.drawLine(left, bottom, middle, top);
    } else {
        painter.setPen(highlight);
        painter.drawLine(left + size - 1, top, middle, bottom);
        painter.setPen(shadow);
        painter.drawLine(middle, bottom, left, top);
        painter.drawLine(left, top, left + size - 1, top);
    }
    return textRect.adjusted(0, 0, -size, 0);
}

void CGridCell::SetFont(const QFont* font)
{
    m_font = font ? std::make_unique<QFont>(*font) : nullptr;
}

quint32 CGridCell::Format() const
{
    if (m_format != kDefaultFormat)
        return m_format;
    const CGridDefaultCell* fallback = DefaultCell();
    return fallback ? fallback->Format() : m_format;
}

Gdi::COLORREF CGridCell::TextColour() const
{
    if (m_textColour != kDefaultColour)
        return m_textColour;
    const CGridDefaultCell* fallback = DefaultCell();
    return fallback ? fallback->TextColour() : m_textColour;
}

Gdi::COLORREF CGridCell::BackColour() const
{
    if (m_backColour != kDefaultColour)
        return m_backColour;
    const CGridDefaultCell* fallback = DefaultCell();
    return fallback ? fallback->BackColour() : m_backColour;
}

QFont CGridCell::Font() const
{
    if (m_font)
        return *m_font;
    const CGridDefaultCell* fallback = DefaultCell();
    return fallback ? fallback->Font() : QApplication::font();
}

int CGridCell::Margin() const
{
    if (m_margin != kDefaultMargin)
        return m_margin;
    const CGridDefaultCell* fallback = DefaultCell();
    return fallback ? fallback->Margin() : 0;
}

void CGridCell::Reset()
{
    CGridCellBase::Reset();
    m_param = 0;
    m_text.clear();
    m_image = -1;
    m_format = kDefaultFormat;
    m_textColour = kDefaultColour;
    m_backColour = kDefaultColour;
    m_margin = kDefaultMargin;
    m_editing = false;
    m_font.reset();
    m_editor = nullptr;
}

bool CGridCell::Edit(int row, int column, const QRect& rect, const QPoint& /*point*/, int id, int firstKey)
{
    if (m_editing) {
        if (m_editor)
            m_editor->ReplayKey(firstKey);
        return true;
    }
    m_editing = true;
    Qt::Alignment alignment = Qt::AlignLeft;
    if (Format() & Gdi::DT_RIGHT)
        alignment = Qt::AlignRight;
    else if (Format() & Gdi::DT_CENTER)
        alignment = Qt::AlignHCenter;
    m_editor = new CGridInPlaceEdit(m_grid, rect, alignment, id, CellId{row, column}, Text(), firstKey);
    return true;
}

void CGridCell::EndEdit()
{
    if (m_editor)
        m_editor->EndEdit();
}

void CGridCell::OnEndEdit()
{
    m_editing = false;
    m_editor = nullptr;
}

CGridDefaultCell::CGridDefaultCell()
{
    CGridCell::SetFormat(Gdi::DT_LEFT | Gdi::DT_VCENTER | Gdi::DT_SINGLELINE | Gdi::DT_NOPREFIX |
                         Gdi::DT_END_ELLIPSIS);
    const QFont font = QApplication::font();
    SetFont(&font);
}

void CGridDefaultCell::SetFont(const QFont* font)
{
    m_defaultFont = font ? *font : QApplication::font();
    const QFontMetrics metrics(m_defaultFont);
    SetMargin(metrics.horizontalAdvance(QLatin1Char(' ')));
    const QString sample = QStringLiteral(" XXXXXXXXXXXX ");
    m_size = QSize(metrics.horizontalAdvance(sample), metrics.height() * 3 / 2);
}
