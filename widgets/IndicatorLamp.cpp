#include "widgets/IndicatorLamp.h"

#include <QBitmap>
#include <QPainter>

namespace {
constexpr int kLampSize = 16;

// Pure magenta marks the strip's transparent pixels.
QPixmap LoadStrip()
{
    QPixmap strip(QStringLiteral(":/lamps.png"));
    strip.setMask(strip.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
    return strip;
}
} // namespace

CIndicatorLamp::CIndicatorLamp(QWidget* parent) : QWidget(parent), m_strip(LoadStrip())
{
    // The lamp draws over what lies behind it; it erases nothing itself.
    setAttribute(Qt::WA_NoSystemBackground);
}

void CIndicatorLamp::SetLamp(int colourOffset, int state, int shapeOffset)
{
    m_colourOffset = colourOffset;
    m_state = state;
    m_shapeOffset = shapeOffset;
    repaint();
}

void CIndicatorLamp::paintEvent(QPaintEvent*)
{
    QPoint at(0, 0);
    // Centred when the control is at least 16 x 16; otherwise at its top-left corner, clipped.
    if (width() > 15 && height() > 15)
        at = QPoint((width() - kLampSize) / 2, (height() - kLampSize) / 2);
    const QRect tile(m_state * kLampSize, m_colourOffset + m_shapeOffset, kLampSize, kLampSize);
    QPainter painter(this);
    painter.drawPixmap(at, m_strip, tile);
}
