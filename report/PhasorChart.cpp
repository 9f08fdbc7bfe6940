#include "report/PhasorChart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
const QColor kPhaseColours[] = {QColor(0x8B, 0x45, 0x13), QColor(0x10, 0x10, 0x10), QColor(0x80, 0x80, 0x80)};
const QColor kRim(0xD0, 0xD0, 0xD0);
constexpr double kCurrentReach = 0.72; // of the radius, for the largest current

QPointF Tip(const QPointF& centre, double radius, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180.0;
    // Counter-clockwise on the page: the y axis points down.
    return centre + QPointF(radius * std::cos(radians), -radius * std::sin(radians));
}

void Arrow(QPainter& painter, const QPointF& from, const QPointF& to, double headSize)
{
    painter.drawLine(from, to);
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(to - QPointF(std::cos(angle - 0.4), std::sin(angle - 0.4)) * headSize);
    head.lineTo(to - QPointF(std::cos(angle + 0.4), std::sin(angle + 0.4)) * headSize);
    head.closeSubpath();
    painter.fillPath(head, painter.pen().color());
}

void Label(QPainter& painter, const QPointF& centre, double radius, double degrees, const QString& text)
{
    const QPointF at = Tip(centre, radius, degrees);
    const QRectF box(at.x() - 20, at.y() - 9, 40, 18);
    painter.drawText(box, Qt::AlignCenter, text);
}
} // namespace

void DrawPhasors(QPainter& painter, const QRectF& area, const Diagnosis::PhasorView& phasors)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(area.width(), area.height());
    const QPointF centre = area.center();
    const double radius = side / 2 - 26;
    const double head = std::max(5.0, side / 40);
    painter.setPen(QPen(kRim, 1, Qt::DotLine));
    painter.drawEllipse(centre, radius, radius);
    const double largest = std::max({phasors.current[0], phasors.current[1], phasors.current[2], 1e-9});
    for (int k = 0; k < Diagnosis::kPhaseCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QColor colour = kPhaseColours[i];
        const QString letter = QString(QLatin1Char(static_cast<char>('a' + k)));
        const double voltageAngle = -120.0 * k;
        const bool present =
            phasors.voltage[i] > 0.5 * std::max({phasors.voltage[0], phasors.voltage[1], phasors.voltage[2]});
        painter.setPen(QPen(colour, 3, present ? Qt::SolidLine : Qt::DotLine));
        Arrow(painter, centre, Tip(centre, radius, voltageAngle), head);
        Label(painter, centre, radius + 14, voltageAngle, QStringLiteral("U") + letter);
        if (!phasors.currentAngle[i])
            continue;
        const double reach = radius * kCurrentReach * std::max(phasors.current[i] / largest, 0.15);
        painter.setPen(QPen(colour, 2, Qt::DashLine));
        Arrow(painter, centre, Tip(centre, reach, *phasors.currentAngle[i]), head);
        Label(painter, centre, reach + 13, *phasors.currentAngle[i], QStringLiteral("I") + letter);
    }
    painter.restore();
}
