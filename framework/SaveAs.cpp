#include "framework/SaveAs.h"

#include "framework/MessageBox.h"

#include <QFileDialog>

namespace {
SavePathFunction& Replacement()
{
    static SavePathFunction function;
    return function;
}

QString AskPath(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter)
{
    if (Replacement())
        return Replacement()(caption, suggested);
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}
} // namespace

bool SaveAs(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter,
            const SaveWriter& write)
{
    const QString path = AskPath(parent, caption, suggested, filter);
    if (path.isEmpty())
        return false;
    QString failed = path;
    if (write(path, failed))
        return true;
    MessageBox(parent, QStringLiteral("Can not write %1!").arg(failed), QStringLiteral("Error"));
    return false;
}

void SetSavePathFunction(SavePathFunction function)
{
    Replacement() = std::move(function);
}
