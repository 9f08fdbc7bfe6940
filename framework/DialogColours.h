#pragma once

#include <QColor>

class QWidget;

// All dialogs and message boxes of the tool: teal background, black text.
inline const QColor kDialogBackground{80, 180, 200};
inline const QColor kDialogText{0, 0, 0};

void ApplyDialogColours(QWidget& widget);
