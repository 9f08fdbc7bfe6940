#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QEvent>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class QMouseEvent;

// A borderless pop-up that shows the whole text of a cell whose text is cut at
// the cell's edge. It sits exactly over the cell text, holds the mouse while
// shown, and gets out of the way as soon as the user does anything else: leaving
// the cell, pressing a key or clicking (the click goes on to what lies beneath).
class CClippedTextTip : public QWidget
{
    Q_OBJECT
public:
    // Rectangles passed to ShowTip are in the coordinates of owner, which also
    // owns the tip's lifetime.
    explicit CClippedTextTip(QWidget* owner);

    // An invalid colour keeps the tool-tip colours of the palette.
    void ShowTip(const QRect& titleRect, const QString& text, int xOffset, const QRect& hoverRect,
                 const QFont& font, const QColor& textColour = QColor(), const QColor& backColour = QColor());
    void HideTip();

    // The text as shown, with its padding blanks.
    QString ShownText() const { return m_shownText; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ForwardMouseEvent(QEvent::Type type, const QMouseEvent& event, QWidget* target);
    QEvent::Type PressTypeFor(const QMouseEvent& event);

    QWidget* m_owner;
    QRect m_globalHoverRect;
    QString m_shownText;
    QColor m_textColour;
    QColor m_backColour;
    QPointer<QWidget> m_pressTarget;
    QElapsedTimer m_sinceLastLeftPress;
};
