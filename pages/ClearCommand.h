#pragma once

class QWidget;

// The clear commands of the pages: the value 255 written to one command
// register (1009 max/min, 1010 energy, 1011 demand, 1012 event records) to
// SlaveId as the last poll left it. A reply that fails the write-reply check
// shows "Communication Fail" / "Error"; success shows nothing. Returns whether
// the meter confirmed the write.
bool ClearMeterRecords(QWidget* parent, int commandRegister);
