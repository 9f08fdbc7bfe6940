// Geometry, hit testing and scrolling of CGridCtrl. Positions are viewport
// pixels; scroll positions are pixels of the non-fixed area.
#include "widgets/GridCtrl.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

namespace {

int ScrollBarExtent(const QWidget* widget)
{
    return widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
}

// Walks from start (a pixel) over sizes from first, and gives the index whose
// span holds target, or -1 past the last.
int IndexAt(const GridModel& model, bool rows, int first, int last, int start, int target)
{
    int edge = start;
    for (int index = first; index <= last; ++index) {
        edge += rows ? model.RowHeight(index) : model.ColumnWidth(index);
        if (edge > target)
            return index;
    }
    return -1;
}

} // namespace

CellId CGridCtrl::TopLeftNonFixedCell() const
{
    if (m_topLeftCache.IsValid())
        return m_topLeftCache;
    // The view starts with a whole cell: the first one whose predecessors
    // fill at least the scroll position.
    const int y = verticalScrollBar()->value();
    int row = HeaderRowTotal();
    for (int sum = 0; row < RowTotal() - 1 && sum < y; ++row)
        sum += m_model.RowHeight(row);
    const int x = horizontalScrollBar()->value();
    int column = HeaderColumnTotal();
    for (int sum = 0; column < ColumnTotal() - 1 && sum < x; ++column)
        sum += m_model.ColumnWidth(column);
    m_topLeftCache = CellId{row, column};
    return m_topLeftCache;
}

CellRange CGridCtrl::VisibleNonFixedCellRange(QRect* rect) const
{
    const CellId topLeft = TopLeftNonFixedCell();
    const QSize client = viewport()->size();
    const int fixedWidth = HeaderColumnWidth();
    const int fixedHeight = HeaderRowHeight();
    int bottom = fixedHeight;
    int row = topLeft.row;
    for (; row < RowTotal() && bottom < client.height(); ++row)
        bottom += m_model.RowHeight(row);
    int right = fixedWidth;
    int column = topLeft.column;
    for (; column < ColumnTotal() && right < client.width(); ++column)
        right += m_model.ColumnWidth(column);
    if (rect)
        *rect = QRect(fixedWidth, fixedHeight, right - fixedWidth, bottom - fixedHeight);
    return CellRange{topLeft.row, topLeft.column, row - 1, column - 1};
}

CellId CGridCtrl::CellFromPoint(const QPoint& point) const
{
    const CellId topLeft = TopLeftNonFixedCell();
    CellId cell;
    if (point.x() >= 0) {
        cell.column =
            point.x() < HeaderColumnWidth()
                ? IndexAt(m_model, false, 0, HeaderColumnTotal() - 1, 0, point.x())
                : IndexAt(m_model, false, topLeft.column, ColumnTotal() - 1, HeaderColumnWidth(), point.x());
    }
    if (point.y() >= 0) {
        cell.row = point.y() < HeaderRowHeight()
                       ? IndexAt(m_model, true, 0, HeaderRowTotal() - 1, 0, point.y())
                       : IndexAt(m_model, true, topLeft.row, RowTotal() - 1, HeaderRowHeight(), point.y());
    }
    return cell;
}

QRect CGridCtrl::CellRect(int row, int column) const
{
    if (!m_model.IsValid(row, column))
        return QRect();
    const CellId topLeft = TopLeftNonFixedCell();
    if ((row >= HeaderRowTotal() && row < topLeft.row) ||
        (column >= HeaderColumnTotal() && column < topLeft.column))
        return QRect();
    int x = 0;
    for (int c = column < HeaderColumnTotal() ? 0 : topLeft.column; c < column; ++c)
        x += m_model.ColumnWidth(c);
    if (column >= HeaderColumnTotal())
        x += HeaderColumnWidth();
    int y = 0;
    for (int r = row < HeaderRowTotal() ? 0 : topLeft.row; r < row; ++r)
        y += m_model.RowHeight(r);
    if (row >= HeaderRowTotal())
        y += HeaderRowHeight();
    return QRect(x, y, m_model.ColumnWidth(column), m_model.RowHeight(row));
}

bool CGridCtrl::CellVisible(int row, int column) const
{
    if (!m_model.IsValid(row, column))
        return false;
    const CellRange visible = VisibleNonFixedCellRange();
    const bool rowShown = row < HeaderRowTotal() || (row >= visible.minRow && row <= visible.maxRow);
    const bool columnShown =
        column < HeaderColumnTotal() || (column >= visible.minColumn && column <= visible.maxColumn);
    return rowShown && columnShown;
}

bool CGridCtrl::CellFullyVisible(int row, int column) const
{
    if (!CellVisible(row, column))
        return false;
    const QRect rect = CellRect(row, column);
    return viewport()->rect().contains(rect);
}

void CGridCtrl::ScrollCellIntoView(int row, int column)
{
    if (!m_allowDrawing || !m_model.IsValid(row, column))
        return;
    const CellRange visible = VisibleNonFixedCellRange();
    for (int c = visible.maxColumn + 1; c <= column; ++c)
        ScrollLines(Qt::Horizontal, m_model.ColumnWidth(c) > 0 ? 1 : 0);
    for (int c = std::max(column, HeaderColumnTotal()); c < visible.minColumn; ++c)
        ScrollLines(Qt::Horizontal, m_model.ColumnWidth(c) > 0 ? -1 : 0);
    for (int r = visible.maxRow + 1; r <= row; ++r)
        ScrollLines(Qt::Vertical, m_model.RowHeight(r) > 0 ? 1 : 0);
    for (int r = std::max(row, HeaderRowTotal()); r < visible.minRow; ++r)
        ScrollLines(Qt::Vertical, m_model.RowHeight(r) > 0 ? -1 : 0);
    // A cell only partly shown at the right or bottom edge: one step more each time.
    const QSize client = viewport()->size();
    for (QRect rect = CellRect(row, column);
         rect.right() >= client.width() && rect.left() > HeaderColumnWidth(); rect = CellRect(row, column)) {
        const int before = horizontalScrollBar()->value();
        ScrollLines(Qt::Horizontal, 1);
        if (horizontalScrollBar()->value() == before)
            break;
    }
    for (QRect rect = CellRect(row, column);
         rect.bottom() >= client.height() && rect.top() > HeaderRowHeight(); rect = CellRect(row, column)) {
        const int before = verticalScrollBar()->value();
        ScrollLines(Qt::Vertical, 1);
        if (verticalScrollBar()->value() == before)
            break;
    }
}

void CGridCtrl::UpdateScrollBars()
{
    m_topLeftCache = CellId{};
    if (!m_allowDrawing)
        return;
    // The vertical bar is always there (disabled when the rows fit), so only
    // the horizontal one changes the area.
    QSize area = maximumViewportSize();
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        area.rheight() += ScrollBarExtent(this);
    area -= QSize(HeaderColumnWidth(), HeaderRowHeight());
    const int totalWidth = m_model.ScrollableWidth();
    const int totalHeight = m_model.ScrollableHeight();
    const bool columnsFit = area.width() > 0 && totalWidth <= area.width();
    if (!columnsFit)
        area.rheight() -= ScrollBarExtent(this);
    const bool rowsFit = area.height() <= 0 ? false : totalHeight <= area.height();
    const bool empty = area.width() <= 0 || area.height() <= 0;

    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, rowsFit || empty ? 0 : totalHeight - area.height());
    vertical->setPageStep(std::max(area.height(), 1));
    vertical->setEnabled(!rowsFit && !empty);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, columnsFit || empty ? 0 : totalWidth - area.width());
    horizontal->setPageStep(std::max(area.width(), 1));
    setHorizontalScrollBarPolicy(columnsFit || empty ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    m_topLeftCache = CellId{};
}

// A line is the height (width) of the first shown row (column) at the top
// (left) going forward, or of the shown one before it going back.
int CGridCtrl::LineStep(Qt::Orientation orientation, bool forward) const
{
    const bool rows = orientation == Qt::Vertical;
    const int first = rows ? HeaderRowTotal() : HeaderColumnTotal();
    const int total = rows ? RowTotal() : ColumnTotal();
    const CellId topLeft = TopLeftNonFixedCell();
    int index = rows ? topLeft.row : topLeft.column;
    auto size = [&](int i) { return rows ? m_model.RowHeight(i) : m_model.ColumnWidth(i); };
    if (forward) {
        while (index < total - 1 && size(index) == 0)
            ++index;
        return index < total ? size(index) : 0;
    }
    for (--index; index >= first; --index) {
        if (size(index) > 0)
            return size(index);
    }
    return 0;
}

void CGridCtrl::OnScrollBarAction(Qt::Orientation orientation, int action)
{
    QScrollBar* bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    if (action == QAbstractSlider::SliderSingleStepAdd)
        bar->setSliderPosition(bar->value() + LineStep(orientation, true));
    else if (action == QAbstractSlider::SliderSingleStepSub)
        bar->setSliderPosition(std::max(bar->value() - LineStep(orientation, false), 0));
}

void CGridCtrl::ScrollLines(Qt::Orientation orientation, int lines)
{
    QScrollBar* bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    const auto action =
        lines > 0 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub;
    for (int step = 0; step < std::abs(lines); ++step)
        bar->triggerAction(action);
}

void CGridCtrl::ScrollPages(Qt::Orientation orientation, int pages)
{
    QScrollBar* bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    const auto action = pages > 0 ? QAbstractSlider::SliderPageStepAdd : QAbstractSlider::SliderPageStepSub;
    for (int step = 0; step < std::abs(pages); ++step)
        bar->triggerAction(action);
}

void CGridCtrl::ScrollToStart(Qt::Orientation orientation)
{
    (orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar())
        ->triggerAction(QAbstractSlider::SliderToMinimum);
}

void CGridCtrl::ScrollToEnd(Qt::Orientation orientation)
{
    (orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar())
        ->triggerAction(QAbstractSlider::SliderToMaximum);
}

// The view repaints whole rather than moving pixels: it starts with a whole
// cell, so its content only changes when the top-left cell does.
void CGridCtrl::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    FinishEditing();
    HideTitleTip();
    const CellId before = m_topLeftCache;
    m_topLeftCache = CellId{};
    if (!before.IsValid() || TopLeftNonFixedCell() != before)
        RedrawAll();
}

void CGridCtrl::wheelEvent(QWheelEvent* event)
{
    // A notch is 120; touchpads and fine wheels send far less per event, so what
    // does not make a whole line yet is kept for the next event.
    const long long scaled =
        m_wheelRemainder + static_cast<long long>(m_wheelLines) * event->angleDelta().y();
    const long long lines = scaled / 120;
    m_wheelRemainder = static_cast<int>(scaled % 120);
    ScrollLines(Qt::Vertical, static_cast<int>(-lines));
    event->accept();
}

void CGridCtrl::resizeEvent(QResizeEvent* event)
{
    FinishEditing();
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}
