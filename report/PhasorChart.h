#pragma once

#include "diagnosis/Finding.h"

#include <QRectF>

class QPainter;

// The phasor diagram of a wiring check, drawn by QPainter on whatever it paints: the
// window's widget, a picture for the report's HTML, a PDF page. The three voltages
// reach the rim at their ideal angles; each current, at its measured angle from its own
// voltage, reaches out as far as its share of the largest current. Phase A is brown,
// B black and C grey, as their conductors are.
void DrawPhasors(QPainter& painter, const QRectF& area, const Diagnosis::PhasorView& phasors);
