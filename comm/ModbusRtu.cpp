#include "comm/ModbusRtu.h"

#include <algorithm>

CModbusRtu ModbusRtu;
uint8_t RequestBuffer[kRequestBufferSize];
uint8_t ReplyBuffer[kReplyBufferSize];
int32_t RegisterBlock[kRegisterBlockSize];
int32_t SlaveId = 0;
int32_t CtRatio = 0;
int32_t PtRatio = 0;

namespace {
void PutWord(uint8_t* at, int value)
{
    at[0] = static_cast<uint8_t>((value >> 8) & 0xFF);
    at[1] = static_cast<uint8_t>(value & 0xFF);
}

// The codec frames and checks with the one CRC both ends of the line share.
using ModbusFrame::AppendCrc;
using ModbusFrame::CrcMatches;

// Slave address, function code, address field and count or value: the common
// head of the three requests.
int PutHead(uint8_t* request, int slave, int function, int address, int word)
{
    request[0] = static_cast<uint8_t>(slave & 0xFF);
    request[1] = static_cast<uint8_t>(function);
    PutWord(request + 2, address);
    PutWord(request + 4, word);
    return 6;
}
} // namespace

int CModbusRtu::BuildReadRegisters(uint8_t* request, int slave, int start, int count) const
{
    return AppendCrc(request, PutHead(request, slave, 3, start, count));
}

int CModbusRtu::BuildWriteRegisters(uint8_t* request, int slave, int start, int count,
                                    const int32_t* values) const
{
    // The values come from a block of kRegisterBlockSize entries, and the frame must fit the
    // request buffer: clamp to both, so that no entry past the block is ever read.
    constexpr int maxCount = std::min((kRequestBufferSize - 9) / 2, kRegisterBlockSize);
    count = count < 0 ? 0 : (count > maxCount ? maxCount : count);
    int length = PutHead(request, slave, 16, start, count);
    request[length++] = static_cast<uint8_t>((2 * count) & 0xFF);
    for (int i = 0; i < count; ++i, length += 2)
        PutWord(request + length, values[i]);
    return AppendCrc(request, length);
}

int CModbusRtu::BuildWriteCoil(uint8_t* request, int slave, int coil, int value) const
{
    return AppendCrc(request, PutHead(request, slave, 5, coil, value));
}

bool CModbusRtu::CheckReadReply(const uint8_t* reply, int32_t* registers) const
{
    // Any exception reply (function code with bit 7 set) fails here, whatever its CRC.
    if (reply[1] > 16)
        return false;
    const int byteCount = reply[2];
    // address + function + byte count + data + 2 CRC bytes must fit in the reply
    // buffer, and the data must fit in the register block.
    if (3 + byteCount + 2 > kReplyBufferSize || byteCount / 2 > kRegisterBlockSize)
        return false;
    if (!CrcMatches(reply, byteCount + 3))
        return false;
    for (int i = 0; i < byteCount / 2; ++i)
        registers[i] = reply[3 + 2 * i] * 256 + reply[4 + 2 * i];
    return true;
}

bool CModbusRtu::CheckWriteReply(const uint8_t* reply, const uint8_t* request) const
{
    // slave address + function + address field + count or value, then their CRC
    constexpr int kConfirmedHead = 6;
    const bool write =
        request[1] == ModbusFrame::kWriteMultipleRegisters || request[1] == ModbusFrame::kWriteSingleCoil;
    return write && std::equal(reply, reply + kConfirmedHead, request) && CrcMatches(reply, kConfirmedHead);
}

std::optional<TransformerRatios> RatiosOfRegisters(std::span<const int32_t, 5> registers)
{
    const int32_t ctSecondary = registers[1];
    const int32_t ptSecondary = registers[4];
    if (ctSecondary == 0 || ptSecondary == 0)
        return std::nullopt;
    const int32_t ptPrimary = static_cast<int32_t>(static_cast<uint32_t>(registers[3]) * 65536u +
                                                   static_cast<uint32_t>(registers[2]));
    return TransformerRatios{registers[0] / ctSecondary, ptPrimary / ptSecondary};
}
