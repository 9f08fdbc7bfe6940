#include "widgets/ClippedTextTip.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWindow>

CClippedTextTip::CClippedTextTip(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint), m_owner(owner)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focusWindow) {
        if (!focusWindow)
            HideTip();
    });
}

void CClippedTextTip::ShowTip(const QRect& titleRect, const QString& text, int xOffset,
                              const QRect& hoverRect, const QFont& font, const QColor& textColour,
                              const QColor& backColour)
{
    if (titleRect.isEmpty() || isVisible() || !QGuiApplication::focusWindow())
        return;

    m_globalHoverRect = QRect(m_owner->mapToGlobal(hoverRect.topLeft()), hoverRect.size() + QSize(1, 1));
    m_shownText = QLatin1Char(' ') + text + QLatin1Char(' ');
    const int textWidth = QFontMetrics(font).horizontalAdvance(m_shownText);

    // The tip is only worth showing when the padded text does not fit where the cell draws it.
    const int displayLeft = titleRect.left() + xOffset;
    const int displayWidth = textWidth + xOffset;
    if (displayLeft + displayWidth <= titleRect.left() + titleRect.width() - xOffset)
        return;

    setFont(font);
    m_textColour = textColour.isValid() ? textColour : palette().color(QPalette::ToolTipText);
    m_backColour = backColour.isValid() ? backColour : palette().color(QPalette::ToolTipBase);
    setGeometry(QRect(m_owner->mapToGlobal(QPoint(displayLeft, titleRect.top())),
                      QSize(displayWidth, titleRect.height())));
    show();
    raise();
    qApp->installEventFilter(this);
    grabMouse();
}

void CClippedTextTip::HideTip()
{
    if (!isVisible())
        return;
    qApp->removeEventFilter(this);
    releaseMouse();
    hide();
}

void CClippedTextTip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_backColour);
    painter.setPen(m_textColour);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_shownText);
}

void CClippedTextTip::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint globalPos = event->globalPosition().toPoint();
    if (m_globalHoverRect.contains(globalPos))
        return;
    HideTip();
    ForwardMouseEvent(QEvent::MouseMove, *event, QApplication::widgetAt(globalPos));
}

void CClippedTextTip::mousePressEvent(QMouseEvent* event)
{
    const QEvent::Type type = PressTypeFor(*event);
    HideTip();
    m_pressTarget = QApplication::widgetAt(event->globalPosition().toPoint());
    ForwardMouseEvent(type, *event, m_pressTarget);
}

void CClippedTextTip::mouseDoubleClickEvent(QMouseEvent* event)
{
    HideTip();
    ForwardMouseEvent(QEvent::MouseButtonDblClick, *event, m_pressTarget);
}

// The press went on to another widget, so its release must follow it there, or
// that widget would be left thinking the button is still down.
void CClippedTextTip::mouseReleaseEvent(QMouseEvent* event)
{
    ForwardMouseEvent(QEvent::MouseButtonRelease, *event, m_pressTarget);
    m_pressTarget.clear();
}

// The tip lies over the cells, so the wheel turned over it is meant for them.
void CClippedTextTip::wheelEvent(QWheelEvent* event)
{
    HideTip();
    const QPointF globalPos = event->globalPosition();
    QWidget* target = QApplication::widgetAt(globalPos.toPoint());
    if (!target || target == this)
        return;
    QWheelEvent forwarded(target->mapFromGlobal(globalPos), globalPos, event->pixelDelta(),
                          event->angleDelta(), event->buttons(), event->modifiers(), event->phase(),
                          event->inverted());
    QApplication::sendEvent(target, &forwarded);
}

// A left press soon after the previous one completes a double click on the
// widget beneath, as it would have without the tip in between.
QEvent::Type CClippedTextTip::PressTypeFor(const QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton)
        return QEvent::MouseButtonPress;
    const bool soonAfterPrevious = m_sinceLastLeftPress.isValid() &&
                                   m_sinceLastLeftPress.elapsed() < QApplication::doubleClickInterval();
    m_sinceLastLeftPress.start();
    return soonAfterPrevious ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress;
}

void CClippedTextTip::ForwardMouseEvent(QEvent::Type type, const QMouseEvent& event, QWidget* target)
{
    if (!target || target == this)
        return;
    const QPointF globalPos = event.globalPosition();
    QMouseEvent forwarded(type, target->mapFromGlobal(globalPos), globalPos, event.button(), event.buttons(),
                          event.modifiers());
    QApplication::sendEvent(target, &forwarded);
}

// Keys go on to the widget that has the keyboard focus (the grid while the user
// works in it); the tip only steps aside.
bool CClippedTextTip::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        HideTip();
    return QWidget::eventFilter(watched, event);
}
