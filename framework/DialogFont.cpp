#include "framework/DialogFont.h"

#include "framework/DialogTemplate.h"

#include <QFontMetrics>

QFont DialogFont(const DialogTemplate& dialog)
{
    QFont font(QString::fromLatin1(kDialogFontFamily));
    font.setStyleHint(QFont::Serif);
    // Rounded to the nearest pixel as Windows does: 8 points give 11 pixels, 9 points 12.
    font.setPixelSize((dialog.fontPointSize * 96 + 36) / 72);
    return font;
}

QSize DialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}
