#include "pages/ClearCommand.h"

#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "pages/FailureMessages.h"

bool ClearMeterRecords(QWidget* parent, int commandRegister)
{
    RegisterBlock[0] = 255;
    const bool confirmed = Modbus::WriteRegisters(commandRegister, 1, 200, 250).echoValid;
    if (!confirmed)
        ShowCommunicationFail(parent, CommunicationFail::Command);
    return confirmed;
}
