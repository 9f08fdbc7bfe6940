#include "comm/Transaction.h"

#include "comm/FrameLog.h"
#include "comm/ModbusRtu.h"
#include "comm/RequestGuard.h"
#include "comm/SerialPort.h"
#include "framework/BlockingSleep.h"

#include <algorithm>

namespace Modbus {
namespace {
// Writes the built request, waits, and reads the reply; returns the bytes read.
int Exchange(int requestLength, int waitMs, int readLength)
{
    if (!MaySend(RequestBuffer, requestLength))
        return 0;
    FrameLog log(RequestBuffer, requestLength);
    SerialPort.Write(RequestBuffer, requestLength);
    BlockingSleep(waitMs);
    // Several call sites ask for more than the reply buffer holds; never read past it.
    const int received = SerialPort.Read(ReplyBuffer, std::min(readLength, kReplyBufferSize));
    log.Reply(ReplyBuffer, received);
    return received;
}
} // namespace

bool ReadRegisters(int start, int count, int waitMs, int readLength)
{
    Exchange(ModbusRtu.BuildReadRegisters(RequestBuffer, SlaveId, start, count), waitMs, readLength);
    // A short or foreign reply would leave entries of an earlier read in the block, shown as if read now.
    return AnswersRead(SlaveId, count) && ModbusRtu.CheckReadReply(ReplyBuffer, RegisterBlock);
}

WriteResult WriteRegisters(int start, int count, int waitMs, int readLength)
{
    const int length = ModbusRtu.BuildWriteRegisters(RequestBuffer, SlaveId, start, count, RegisterBlock);
    const int received = Exchange(length, waitMs, readLength);
    return {received, ModbusRtu.CheckWriteReply(ReplyBuffer), IsExceptionReply(received)};
}

bool WriteCoil(int coil, int value, int waitMs, int readLength)
{
    return Exchange(ModbusRtu.BuildWriteCoil(RequestBuffer, SlaveId, coil, value), waitMs, readLength) >= 1;
}

int ClearLine(int waitMs, int readLength)
{
    BlockingSleep(waitMs);
    return SerialPort.Read(ReplyBuffer, std::min(readLength, kReplyBufferSize));
}

void RefreshRatios()
{
    if (!ReadRegisters(1000, 5, 100, 300))
        return;
    const int32_t ctPrimary = RegisterBlock[0];
    const int32_t ctSecondary = RegisterBlock[1];
    const int32_t ptPrimary = static_cast<int32_t>(static_cast<uint32_t>(RegisterBlock[3]) * 65536u +
                                                   static_cast<uint32_t>(RegisterBlock[2]));
    const int32_t ptSecondary = RegisterBlock[4];
    // A secondary of 0 has no ratio: keep the previous ones rather than divide by zero.
    if (ctSecondary == 0 || ptSecondary == 0)
        return;
    CtRatio = ctPrimary / ctSecondary;
    PtRatio = ptPrimary / ptSecondary;
}

} // namespace Modbus
