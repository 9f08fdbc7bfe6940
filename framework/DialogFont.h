#pragma once

#include <QFont>
#include <QSize>

struct DialogTemplate;

// The template's Windows face becomes the system sans-serif family at the same point size.
QFont DialogFont(const DialogTemplate& dialog);

// Horizontal and vertical dialog base units of a font, as Windows derives them:
// the average width of the 52 letters, rounded, and the character height.
QSize DialogBaseUnits(const QFont& font);
