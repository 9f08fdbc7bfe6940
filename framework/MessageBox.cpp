#include "framework/MessageBox.h"

#include "framework/DialogColours.h"

#include <QMessageBox>

namespace {
MessageBoxFunction& Replacement()
{
    static MessageBoxFunction function;
    return function;
}
} // namespace

void MessageBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon)
{
    if (Replacement()) {
        Replacement()(text, caption, icon);
        return;
    }
    QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning, caption, text,
                    QMessageBox::Ok, parent);
    ApplyDialogColours(box);
    box.exec();
}

void SetMessageBoxFunction(MessageBoxFunction function)
{
    Replacement() = std::move(function);
}
