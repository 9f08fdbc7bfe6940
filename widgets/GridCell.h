#pragma once

#include "widgets/GridColour.h"

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>
#include <memory>

class CGridCtrl;
class CGridDefaultCell;
class CGridInPlaceEdit;
class QPainter;

// Cell state bits; the low byte of the state word.
enum CellStateBit : quint32
{
    CellFocused = 0x01,
    CellSelected = 0x02,
    CellDropHighlighted = 0x04,
    CellReadOnly = 0x08,
    CellFixed = 0x10,
    CellFixedRow = 0x20,
    CellFixedColumn = 0x40,
    CellModified = 0x80,
};

// DrawText format flags as the cells store them, under Windows' own names in a namespace of
// ours (a file that includes <windows.h> first, where they are macros, still compiles).
#pragma push_macro("DT_LEFT")
#undef DT_LEFT
#pragma push_macro("DT_CENTER")
#undef DT_CENTER
#pragma push_macro("DT_RIGHT")
#undef DT_RIGHT
#pragma push_macro("DT_VCENTER")
#undef DT_VCENTER
#pragma push_macro("DT_BOTTOM")
#undef DT_BOTTOM
#pragma push_macro("DT_WORDBREAK")
#undef DT_WORDBREAK
#pragma push_macro("DT_SINGLELINE")
#undef DT_SINGLELINE
#pragma push_macro("DT_NOPREFIX")
#undef DT_NOPREFIX
#pragma push_macro("DT_END_ELLIPSIS")
#undef DT_END_ELLIPSIS
namespace Gdi {
enum CellFormatFlag : quint32
{
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_NOPREFIX = 0x0800,
    DT_END_ELLIPSIS = 0x8000,
};
} // namespace Gdi
#pragma pop_macro("DT_LEFT")
#pragma pop_macro("DT_CENTER")
#pragma pop_macro("DT_RIGHT")
#pragma pop_macro("DT_VCENTER")
#pragma pop_macro("DT_BOTTOM")
#pragma pop_macro("DT_WORDBREAK")
#pragma pop_macro("DT_SINGLELINE")
#pragma pop_macro("DT_NOPREFIX")
#pragma pop_macro("DT_END_ELLIPSIS")

// A format holding every bit takes the format of the default cell.
inline constexpr quint32 kDefaultFormat = 0xFFFFFFFF;
// A margin of -1 takes the margin of the default cell.
inline constexpr int kDefaultMargin = -1;
// The first key of an edit opened by the mouse or F2: the caret goes after the text.
inline constexpr int kEditByMouse = 1;

// The root of the cell classes: the state word, and the behaviour every kind of
// cell shares (drawing, the text rectangle, starting an edit) written against
// the virtual getters, so a new kind of cell only supplies its data.
class CGridCellBase
{
public:
    CGridCellBase() = default;
    CGridCellBase(const CGridCellBase&) = delete;
    CGridCellBase& operator=(const CGridCellBase&) = delete;
    virtual ~CGridCellBase() = default;

    virtual void SetText(const QString& text) = 0;
    virtual void SetImage(int image) = 0;
    virtual void SetParam(qint32 param) = 0;
    virtual void SetState(quint32 state) { m_state = state; }
    virtual void SetFormat(quint32 format) = 0;
    virtual void SetTextColour(Gdi::COLORREF colour) = 0;
    virtual void SetBackColour(Gdi::COLORREF colour) = 0;
    virtual void SetFont(const QFont* font) = 0;
    virtual void SetMargin(int margin) = 0;
    virtual void SetGrid(CGridCtrl* grid) = 0;
    virtual void SetCoords(int /*row*/, int /*column*/) {}

    virtual QString Text() const = 0;
    virtual QString TipText() const { return Text(); }
    virtual int Image() const = 0;
    virtual qint32 Param() const = 0;
    virtual quint32 State() const { return m_state; }
    virtual quint32 Format() const = 0;
    virtual Gdi::COLORREF TextColour() const = 0;
    virtual Gdi::COLORREF BackColour() const = 0;
    virtual QFont Font() const = 0;
    virtual int Margin() const = 0;
    virtual CGridCtrl* Grid() const = 0;
    virtual CGridInPlaceEdit* EditorWindow() const = 0;
    // The default cell chosen by this cell's fixed-row and fixed-column bits.
    virtual const CGridDefaultCell* DefaultCell() const;

    virtual bool IsDefaultFont() const = 0;
    // True when the cell has a background of its own, which it always fills.
    virtual bool HasOwnBackColour() const = 0;
    virtual bool IsEditing() const = 0;
    bool IsFocused() const { return State() & CellFocused; }
    bool IsFixed() const { return State() & CellFixed; }
    bool IsFixedColumn() const { return State() & CellFixedColumn; }
    bool IsFixedRow() const { return State() & CellFixedRow; }
    bool IsSelected() const { return State() & CellSelected; }
    bool IsReadOnly() const { return State() & CellReadOnly; }
    bool IsModified() const { return State() & CellModified; }
    bool IsDropHighlighted() const { return State() & CellDropHighlighted; }

    // Copies the data, not the state or the editor, of another cell.
    virtual void AssignFrom(const CGridCellBase& other);
    virtual void Reset();

    // rect covers the whole cell including its grid-line pixels on the right
    // and at the bottom.
    virtual bool Draw(QPainter& painter, int row, int column, QRect rect, bool eraseBackground);
    virtual QRect TextRect(const QRect& cellRect) const;
    virtual QRect TipTextRect(const QRect& cellRect) const { return TextRect(cellRect); }
    virtual QSize TextExtent(const QString& text) const;
    virtual QSize CellExtent() const;

    virtual bool Edit(int row, int column, const QRect& rect, const QPoint& point, int id, int firstKey) = 0;
    virtual bool ValidateEdit(const QString& text);
    virtual void EndEdit() = 0;
    virtual void OnEndEdit() = 0;

    virtual void OnMouseEnter() {}
    virtual void OnMouseOver() {}
    virtual void OnMouseLeave() {}
    virtual void OnClick(const QPoint& /*pointInCell*/) {}
    virtual void OnClickDown(const QPoint& /*pointInCell*/) {}
    virtual void OnRClick(const QPoint& /*pointInCell*/) {}
    virtual void OnDblClick(const QPoint& /*pointInCell*/) {}
    virtual Qt::CursorShape Cursor() const { return Qt::ArrowCursor; }

private:
    QRect DrawFocusLook(QPainter& painter, const QRect& cellRect, bool fill, QColor background,
                        QColor& text) const;
    QRect DrawFixedLook(QPainter& painter, const QRect& cellRect, const QRect& textRect, int row,
                        int column) const;
    QRect DrawSortArrow(QPainter& painter, const QRect& textRect) const;

    quint32 m_state = 0;
};

// The plain text cell every grid of the tool is made of.
class CGridCell : public CGridCellBase
{
public:
    CGridCell() = default;

    void SetText(const QString& text) override { m_text = text; }
    void SetImage(int image) override { m_image = image; }
    void SetParam(qint32 param) override { m_param = param; }
    void SetFormat(quint32 format) override { m_format = format; }
    void SetTextColour(Gdi::COLORREF colour) override { m_textColour = colour; }
    void SetBackColour(Gdi::COLORREF colour) override { m_backColour = colour; }
    void SetFont(const QFont* font) override;
    void SetMargin(int margin) override { m_margin = margin; }
    void SetGrid(CGridCtrl* grid) override { m_grid = grid; }

    QString Text() const override { return m_text; }
    int Image() const override { return m_image; }
    qint32 Param() const override { return m_param; }
    quint32 Format() const override;
    Gdi::COLORREF TextColour() const override;
    Gdi::COLORREF BackColour() const override;
    QFont Font() const override;
    int Margin() const override;
    CGridCtrl* Grid() const override { return m_grid; }
    CGridInPlaceEdit* EditorWindow() const override { return m_editor; }

    bool IsDefaultFont() const override { return !m_font; }
    bool HasOwnBackColour() const override { return m_backColour != kDefaultColour; }
    bool IsEditing() const override { return m_editing; }

    void Reset() override;

    bool Edit(int row, int column, const QRect& rect, const QPoint& point, int id, int firstKey) override;
    void EndEdit() override;
    void OnEndEdit() override;

    // The cell's own values, without falling back to the default cell.
    quint32 OwnFormat() const { return m_format; }
    Gdi::COLORREF OwnTextColour() const { return m_textColour; }
    Gdi::COLORREF OwnBackColour() const { return m_backColour; }
    int OwnMargin() const { return m_margin; }

private:
    // Ordered to pack: a grid of many thousand cells pays for every padding byte.
    qint32 m_param = 0;
    QString m_text;
    int m_image = -1;
    quint32 m_format = kDefaultFormat;
    Gdi::COLORREF m_textColour = kDefaultColour;
    Gdi::COLORREF m_backColour = kDefaultColour;
    int m_margin = kDefaultMargin;
    bool m_editing = false;
    std::unique_ptr<QFont> m_font;
    CGridCtrl* m_grid = nullptr;
    CGridInPlaceEdit* m_editor = nullptr;
};

// The template the cells of one region (normal, fixed row, fixed column,
// corner) fall back to: format, colours, font, margin and the size new rows
// and columns get.
class CGridDefaultCell : public CGridCell
{
public:
    CGridDefaultCell();

    // Always read-only; the grid's default cells take no state, parameter or position.
    quint32 State() const override { return CGridCellBase::State() | CellReadOnly; }
    void SetState(quint32) override {}
    void SetParam(qint32) override {}
    void SetCoords(int, int) override {}

    quint32 Format() const override { return OwnFormat(); }
    Gdi::COLORREF TextColour() const override { return OwnTextColour(); }
    Gdi::COLORREF BackColour() const override { return OwnBackColour(); }
    int Margin() const override { return OwnMargin(); }
    QFont Font() const override { return m_defaultFont; }
    const CGridDefaultCell* DefaultCell() const override { return this; }

    // Also measures the margin and the default size in the new font.
    void SetFont(const QFont* font) override;
    QSize DefaultSize() const { return m_size; }
    void SetDefaultSize(QSize size) { m_size = size; }

private:
    QFont m_defaultFont;
    QSize m_size{30, 10};
};
