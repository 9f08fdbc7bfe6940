#include "pages/ClearCommand.h"

#include "comm/ModbusFrame.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "meter/PageReads.h"
#include "pages/FailureMessages.h"

bool ClearMeterRecords(QWidget* parent, int commandRegister)
{
    RegisterBlock[0] = RegisterMap::kClearCommand;
    const bool confirmed =
        Modbus::WriteRegisters(commandRegister, 1, PageReads::kClear.waitMs, PageReads::kClear.readLength)
            .confirmed;
    if (!confirmed)
        ShowCommunicationFail(parent, CommunicationFail::Command);
    return confirmed;
}
