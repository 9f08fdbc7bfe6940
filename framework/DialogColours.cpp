#include "framework/DialogColours.h"

#include <QPalette>
#include <QWidget>

void ApplyDialogColours(QWidget& widget)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, kDialogBackground);
    palette.setColor(QPalette::WindowText, kDialogText);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}
