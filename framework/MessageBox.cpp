#include "framework/MessageBox.h"

#include "framework/DialogColours.h"
#include "framework/SequenceQueue.h"

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
    // A sequence that the closing window called off ends without a word.
    if (SequenceQueue().IsClosed())
        return;
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
