#pragma once

#include <cstdint>

// The rules a transaction applies around the codec: which requests may go on
// the line at all, and which read replies answer the request that went out.
namespace Modbus {

// True when the built request may be written: the port is open and SlaveId is
// a slave address. Otherwise the frame log says why it was not sent and
// ReplyBuffer is cleared, so the exchange fails as a silent meter's would.
bool MaySend(const uint8_t* request, int length);

// True when ReplyBuffer holds a read reply from slave carrying function code 3
// and exactly the data of count registers; the codec checks the CRC.
bool AnswersRead(int32_t slave, int count);

} // namespace Modbus
