#include "pages/ClearCommand.h"

#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "framework/MessageBox.h"

bool ClearMeterRecords(QWidget* parent, int commandRegister)
{
    RegisterBlock[0] = RegisterMap::kClearCommand;
    const bool confirmed = Modbus::WriteRegisters(commandRegister, 1, 200, 250).echoValid;
    if (!confirmed)
        MessageBox(parent, QStringLiteral("Communication Fail"), QStringLiteral("Error"));
    return confirmed;
}
