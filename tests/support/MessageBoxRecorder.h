#pragma once

#include "framework/MessageBox.h"

#include <QString>
#include <vector>

// Replaces the message box while it lives: every message is recorded and the call returns at once.
class MessageBoxRecorder
{
public:
    struct Message
    {
        QString text;
        QString caption;
        MessageIcon icon;
    };

    MessageBoxRecorder()
    {
        SetMessageBoxFunction([this](const QString& text, const QString& caption, MessageIcon icon) {
            messages.push_back({text, caption, icon});
        });
    }
    ~MessageBoxRecorder() { SetMessageBoxFunction({}); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<Message> messages;
};
