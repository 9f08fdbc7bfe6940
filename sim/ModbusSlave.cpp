#include "sim/ModbusSlave.h"

#include "comm/ModbusFrame.h"
#include "sim/RegisterBank.h"

using ModbusFrame::AppendCrc;
using ModbusFrame::HasValidCrc;

namespace {
// Limits of one request from the Modbus application protocol.
constexpr int kMaxReadCount = 125;
constexpr int kMaxWriteCount = 123;
constexpr uint16_t kCoilOn = 0xFF00;
constexpr uint16_t kCoilOff = 0x0000;

int Word(const Frame& frame, std::size_t at)
{
    return frame[at] * 256 + frame[at + 1];
}

void PutWord(Frame& frame, int value)
{
    frame.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    frame.push_back(static_cast<uint8_t>(value & 0xFF));
}

Frame Head(const Frame& request, std::size_t length)
{
    return Frame(request.begin(), request.begin() + static_cast<std::ptrdiff_t>(length));
}

Frame ReadRegisters(const Frame& request, IRegisterAccess& meter)
{
    const int start = Word(request, 2);
    const int count = Word(request, 4);
    if (request.size() != 8 || count < 1 || count > kMaxReadCount)
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::IllegalDataValue);
    if (!CRegisterBank::IsMapped(start, count))
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::IllegalDataAddress);
    Frame reply{request[0], request[1], static_cast<uint8_t>(2 * count)};
    for (int i = 0; i < count; ++i)
        PutWord(reply, meter.ReadRegister(start + i));
    return reply;
}

Frame WriteRegisters(const Frame& request, IRegisterAccess& meter)
{
    const int start = Word(request, 2);
    const int count = Word(request, 4);
    const bool wellFormed = request.size() >= 9 && count >= 1 && count <= kMaxWriteCount &&
                            request[6] == 2 * count &&
                            request.size() == 9u + 2u * static_cast<unsigned>(count);
    if (!wellFormed)
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::IllegalDataValue);
    if (!CRegisterBank::IsWritable(start, count))
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::IllegalDataAddress);
    std::vector<uint16_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(static_cast<uint16_t>(Word(request, 7 + 2 * static_cast<std::size_t>(i))));
    if (!meter.AcceptsWrite(start, values))
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::IllegalDataValue);
    meter.WriteRegisters(start, values);
    // The reply echoes slave, function, start and count.
    return Head(request, 6);
}

Frame WriteCoil(const Frame& request, IRegisterAccess& meter)
{
    const int coil = Word(request, 2);
    const int value = Word(request, 4);
    if (request.size() != 8 || (value != kCoilOn && value != kCoilOff))
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::IllegalDataValue);
    if (coil >= CRegisterBank::kCoilCount)
        return CModbusSlave::ExceptionReply(request[0], request[1], ModbusException::IllegalDataAddress);
    meter.WriteCoil(coil, value == kCoilOn);
    // The reply to a coil write echoes the whole request.
    return Head(request, 6);
}
} // namespace

Frame CModbusSlave::ExceptionReply(int slave, int function, ModbusException code)
{
    Frame reply{static_cast<uint8_t>(slave), static_cast<uint8_t>(function | ModbusFrame::kExceptionFlag),
                static_cast<uint8_t>(code)};
    AppendCrc(reply);
    return reply;
}

std::optional<Frame> CModbusSlave::Answer(const Frame& request, int ownAddress, IRegisterAccess& meter,
                                          Frame* withheld)
{
    if (request.size() < 4 || !HasValidCrc(request))
        return std::nullopt;
    const int slave = request[0];
    const bool broadcast = slave == 0;
    if (slave != ownAddress && !broadcast)
        return std::nullopt;
    const Frame body = Head(request, request.size() - 2);
    Frame reply;
    switch (request[1]) {
    case ModbusFrame::kReadHoldingRegisters:
        if (broadcast)
            return std::nullopt;
        reply = body.size() >= 6 ? ReadRegisters(request, meter)
                                 : ExceptionReply(slave, request[1], ModbusException::IllegalDataValue);
        break;
    case ModbusFrame::kWriteMultipleRegisters:
        reply = body.size() >= 7 ? WriteRegisters(request, meter)
                                 : ExceptionReply(slave, request[1], ModbusException::IllegalDataValue);
        break;
    case ModbusFrame::kWriteSingleCoil:
        reply = body.size() >= 6 ? WriteCoil(request, meter)
                                 : ExceptionReply(slave, request[1], ModbusException::IllegalDataValue);
        break;
    default:
        reply = ExceptionReply(slave, request[1], ModbusException::IllegalFunction);
        break;
    }
    if (broadcast) {
        if (withheld)
            *withheld = reply;
        return std::nullopt;
    }
    // Exception replies arrive with their CRC already in place.
    if ((reply[1] & ModbusFrame::kExceptionFlag) == 0)
        AppendCrc(reply);
    return reply;
}

RequestInfo CModbusSlave::Decode(const Frame& request)
{
    RequestInfo info;
    if (request.size() < 2)
        return info;
    info.slave = request[0];
    info.function = request[1];
    if (request.size() < 8)
        return info;
    info.address = Word(request, 2);
    if (info.function == ModbusFrame::kWriteSingleCoil) {
        info.count = 1;
        info.values.push_back(static_cast<uint16_t>(Word(request, 4)));
        return info;
    }
    info.count = Word(request, 4);
    if (info.function == ModbusFrame::kWriteMultipleRegisters)
        for (std::size_t at = 7;
             at + 3 < request.size() && info.values.size() < static_cast<std::size_t>(info.count); at += 2)
            info.values.push_back(static_cast<uint16_t>(Word(request, at)));
    return info;
}

int CModbusSlave::ExpectedRequestLength(const Frame& head)
{
    if (head.size() < 2)
        return 0;
    switch (head[1]) {
    case ModbusFrame::kReadHoldingRegisters:
    case ModbusFrame::kWriteSingleCoil:
        return 8;
    case ModbusFrame::kWriteMultipleRegisters:
        return head.size() < 7 ? 0 : 9 + head[6];
    default:
        return -1;
    }
}
