#pragma once

#include <QFont>
#include <QSize>

struct DialogTemplate;

// The face the layouts are measured in: a Song (Ming) face like the templates' own. Its dialog
// base units place and size every control, so the windows keep the size they were laid out at.
inline constexpr const char* kDialogFontFamily = "AR PL UMing CN";

// The face the controls are drawn in, at the template's pixel size: a clean sans-serif one. On
// Windows the TrueType face Windows itself puts in place of the templates' "MS Sans Serif"; on
// Linux a face of the same widths; then whatever sans-serif face the platform has. Its CJK
// glyphs (the data-exchange messages) come from the platform's fallback.
QFont DialogFont(const DialogTemplate& dialog);

// The given face with the sans-serif faces behind it, for text drawn in the system's face (the
// grids). Wine names that face by an alias ("MS Shell Dlg") that Qt cannot follow, and Qt would
// draw the first face it knows in its place, here a Ming serif.
QFont WithSansSerifBehind(QFont font);

// Horizontal and vertical dialog base units of the layout face at the template's size, as Windows
// derives them: the average width of the 52 letters, rounded, and the character height.
QSize DialogBaseUnits(const DialogTemplate& dialog);
