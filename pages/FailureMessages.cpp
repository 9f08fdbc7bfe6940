#include "pages/FailureMessages.h"

#include "framework/MessageBox.h"

void ShowCommunicationFail(QWidget* parent, CommunicationFail failure)
{
    switch (failure) {
    case CommunicationFail::PollStopped:
        MessageBox(parent, QStringLiteral("Communication Fail!"), QStringLiteral("Error"));
        break;
    case CommunicationFail::Command:
        MessageBox(parent, QStringLiteral("Communication Fail"), QStringLiteral("Error"));
        break;
    case CommunicationFail::BlockRead:
        MessageBox(parent, QStringLiteral("Communication Fail"), QStringLiteral("Notice"));
        break;
    case CommunicationFail::RelayLoad:
        MessageBox(parent, QStringLiteral("Communication fail"), QStringLiteral("Error"));
        break;
    }
}
