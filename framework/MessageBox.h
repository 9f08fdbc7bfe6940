#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message the tool shows goes through here. The box is modal and runs
// its own event loop, so other windows' timers keep firing while it is open.
// Stop for the tool's failure messages; Warning for the framework's validation messages.
enum class MessageIcon
{
    Stop,
    Warning
};

void MessageBox(QWidget* parent, const QString& text, const QString& caption,
                MessageIcon icon = MessageIcon::Stop);

// Tests install a recorder that returns at once; an empty function restores the real box.
using MessageBoxFunction = std::function<void(const QString& text, const QString& caption, MessageIcon)>;
void SetMessageBoxFunction(MessageBoxFunction function);
