// The differential round trip: every request the tool can build is parsed back
// by the simulated meter with the same slave, function, start, count and
// values, and the meter's answer passes the tool's check with the registers
// the meter holds.

#include "FuzzCheck.h"
#include "comm/ModbusFrame.h"
#include "comm/ModbusRtu.h"
#include "sim/SimMeter.h"

#include <algorithm>
#include <cstring>

namespace {
using ModbusFrame::kExceptionFlag;

struct Built
{
    Frame frame;
    int function;
    int start;
    int count;
    std::vector<uint16_t> values;
};

Built BuildRequest(FuzzInput& input, int slave)
{
    Built built{{}, 0, input.Word(), 0, {}};
    uint8_t request[kRequestBufferSize] = {};
    int length = 0;
    switch (input.Byte() % 3) {
    case 0:
        built.function = ModbusFrame::kReadHoldingRegisters;
        built.count = 1 + input.Byte() % kRegisterBlockSize;
        length = ModbusRtu.BuildReadRegisters(request, slave, built.start, built.count);
        break;
    case 1: {
        built.function = ModbusFrame::kWriteMultipleRegisters;
        // Asked for more than the register block holds, the codec frames the block and no more.
        const int asked = input.Byte();
        built.count = std::min(asked, kRegisterBlockSize);
        std::vector<int32_t> values(kRegisterBlockSize);
        for (int32_t& value : values)
            value = input.Word();
        length = ModbusRtu.BuildWriteRegisters(request, slave, built.start, asked, values.data());
        built.values.assign(values.begin(), values.begin() + built.count);
        break;
    }
    default:
        built.function = ModbusFrame::kWriteSingleCoil;
        built.count = 1;
        built.values = {static_cast<uint16_t>(input.Byte() % 2 ? 0xFF00 : 0x0000)};
        length = ModbusRtu.BuildWriteCoil(request, slave, built.start, built.values[0]);
        break;
    }
    FUZZ_CHECK(length > 0 && length <= kRequestBufferSize);
    built.frame.assign(request, request + length);
    return built;
}

void CheckParsedBack(const Built& built, int slave)
{
    FUZZ_CHECK(ModbusFrame::HasValidCrc(built.frame));
    FUZZ_CHECK(CModbusSlave::ExpectedRequestLength(built.frame) == static_cast<int>(built.frame.size()));
    const RequestInfo info = CModbusSlave::Decode(built.frame);
    FUZZ_CHECK(info.slave == slave);
    FUZZ_CHECK(info.function == built.function);
    FUZZ_CHECK(info.address == built.start);
    FUZZ_CHECK(info.count == built.count);
    if (built.function != ModbusFrame::kReadHoldingRegisters)
        FUZZ_CHECK(info.values == built.values);
}

// The meter's answer as the tool's codec sees it in its reply buffer.
void CheckAnswerPasses(const Built& built, const Frame& reply, int slave)
{
    FUZZ_CHECK(ModbusFrame::HasValidCrc(reply));
    FUZZ_CHECK(reply[0] == slave);
    FUZZ_CHECK((reply[1] & ~kExceptionFlag) == built.function);
    std::memset(ReplyBuffer, 0, sizeof ReplyBuffer);
    std::copy(reply.begin(), reply.end(), ReplyBuffer);
    if (reply[1] & kExceptionFlag) {
        FUZZ_CHECK(reply.size() == ModbusFrame::kExceptionReplyLength && reply[2] >= 1 && reply[2] <= 4);
        FUZZ_CHECK(!ModbusRtu.CheckReadReply(ReplyBuffer, RegisterBlock));
        FUZZ_CHECK(!ModbusRtu.CheckWriteReply(ReplyBuffer, built.frame.data()));
        return;
    }
    if (built.function == ModbusFrame::kReadHoldingRegisters) {
        FUZZ_CHECK(reply.size() == 5u + 2u * static_cast<unsigned>(built.count));
        FUZZ_CHECK(ModbusRtu.CheckReadReply(ReplyBuffer, RegisterBlock));
        for (int i = 0; i < built.count; ++i)
            FUZZ_CHECK(RegisterBlock[i] == reply[3 + 2 * i] * 256 + reply[4 + 2 * i]);
        return;
    }
    FUZZ_CHECK(std::equal(reply.begin(), reply.end() - 2, built.frame.begin()) && reply.size() == 8);
    FUZZ_CHECK(ModbusRtu.CheckWriteReply(ReplyBuffer, built.frame.data()));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const int slave = 1 + input.Byte() % 247;
    const Built built = BuildRequest(input, slave);
    CheckParsedBack(built, slave);
    // One meter for every input: what earlier writes left in it changes no property.
    static CSimMeter meter;
    meter.SetSlaveAddress(slave);
    const std::optional<Frame> reply = meter.Answer(built.frame);
    FUZZ_CHECK(reply.has_value());
    CheckAnswerPasses(built, *reply, slave);
    return 0;
}
