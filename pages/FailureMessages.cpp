#include "pages/FailureMessages.h"

#include "framework/MessageBox.h"

namespace {
struct Message
{
    const char* text;
    const char* caption;
};

// In the order of CommunicationFail.
constexpr Message kMessages[] = {
    {"Communication Fail!", "Error"},
    {"Communication Fail", "Error"},
    {"Communication Fail", "Notice"},
    {"Communication fail", "Error"},
};
} // namespace

void ShowCommunicationFail(QWidget* parent, CommunicationFail failure)
{
    const Message& message = kMessages[static_cast<int>(failure)];
    MessageBox(parent, QString::fromLatin1(message.text), QString::fromLatin1(message.caption));
}
