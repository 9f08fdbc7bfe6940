#pragma once

#include <QFont>
#include <QSize>

struct DialogTemplate;

// The face every dialog is drawn in: a Song (Ming) face like the templates' own, with half-width Latin
// letters and the Chinese glyphs of the data-exchange messages.
inline constexpr const char* kDialogFontFamily = "AR PL UMing CN";

// The dialog face at the template's point size, taken on a 96-dpi screen as the layouts were drawn;
// Qt scales it with everything else on a high-dpi screen.
QFont DialogFont(const DialogTemplate& dialog);

// Horizontal and vertical dialog base units of a font, as Windows derives them:
// the average width of the 52 letters, rounded, and the character height.
QSize DialogBaseUnits(const QFont& font);
