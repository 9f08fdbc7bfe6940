#include "comm/RequestGuard.h"

#include "comm/FrameLog.h"
#include "comm/Line.h"
#include "comm/ModbusFrame.h"
#include "comm/ModbusRtu.h"

#include <cstring>
#include <string>

namespace Modbus {
namespace {
// Modbus slave addresses run from 1 to 247; 0 is the broadcast every meter on
// the bus obeys without answering, and the rest are reserved.
bool IsSlaveAddress(int32_t slave)
{
    return slave >= 1 && slave <= 247;
}
} // namespace

bool MaySend(const uint8_t* request, int length)
{
    std::string reason;
    if (!Line().IsOpen())
        reason = "the port is not open";
    else if (!IsSlaveAddress(SlaveId))
        reason = "slave address " + std::to_string(SlaveId) + " is outside 1 to 247";
    if (reason.empty())
        return true;
    FrameLog::NotSent(request, length, reason.c_str());
    std::memset(ReplyBuffer, 0, sizeof ReplyBuffer);
    return false;
}

// address + function 3 + byte count, then two bytes per register
bool AnswersRead(int32_t slave, int count)
{
    return ReplyBuffer[0] == slave && ReplyBuffer[1] == ModbusFrame::kReadHoldingRegisters &&
           ReplyBuffer[2] == 2 * count;
}

} // namespace Modbus
