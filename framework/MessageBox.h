#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message the tool shows goes through here. The box is modal and runs
// its own event loop; a box shown inside a sequence keeps the line until it is
// dismissed, and ticks and commands asked for meanwhile wait their turn.
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
