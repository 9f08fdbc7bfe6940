#pragma once

class QWidget;

// The "Communication Fail" messages of the pages, each spelling and caption in one place.
enum class CommunicationFail
{
    PollStopped, // "Communication Fail!", "Error": a poll gave up after six failures in a row
    Command,     // "Communication Fail", "Error": a command the meter did not answer as it should
    BlockRead,   // "Communication Fail", "Notice": a block that failed three times
    RelayLoad,   // "Communication fail", "Error": the relay settings did not load
};

void ShowCommunicationFail(QWidget* parent, CommunicationFail failure);
