#include "framework/DialogFont.h"

#include "framework/DialogTemplate.h"

#include <QFontMetrics>
#include <QStringList>

namespace {
// Rounded to the nearest pixel as Windows does, on a 96-dpi screen as the layouts were drawn:
// 8 points give 11 pixels, 9 points 12. Qt scales it with everything else on a high-dpi screen.
int PixelSize(const DialogTemplate& dialog)
{
    return (dialog.fontPointSize * 96 + 36) / 72;
}

// Windows' own dialog face, those of the same widths, then what Wine has.
QStringList SansSerifFaces()
{
    return {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
            QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"), QStringLiteral("Tahoma")};
}
} // namespace

QFont DialogFont(const DialogTemplate& dialog)
{
    QFont font;
    font.setFamilies(SansSerifFaces());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(PixelSize(dialog));
    return font;
}

QFont WithSansSerifBehind(QFont font)
{
    font.setFamilies(QStringList{font.family()} + SansSerifFaces());
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QSize DialogBaseUnits(const DialogTemplate& dialog)
{
    QFont layout(QString::fromLatin1(kDialogFontFamily));
    layout.setStyleHint(QFont::Serif);
    layout.setPixelSize(PixelSize(dialog));
    const QFontMetrics metrics(layout);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}
