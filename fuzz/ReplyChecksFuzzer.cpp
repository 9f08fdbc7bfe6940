// The reply checks: the codec's on a reply buffer as it stands, and the
// transaction helper's on a reply that came over the line. A failed check
// leaves RegisterBlock unchanged; a passing read has a good CRC and exactly
// the registers asked for, decoded high byte first; a confirmed write is the
// meter's own copy of the request's slave, function, address and count (or
// value) under a good CRC, and a refused one is never confirmed.

#include "FuzzCheck.h"
#include "ReplyLine.h"
#include "comm/ModbusFrame.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <cstring>

namespace {
using Block = std::array<int32_t, kRegisterBlockSize>;

// RegisterBlock filled with values no decoded register can have.
Block MarkRegisterBlock()
{
    Block marked;
    for (int i = 0; i < kRegisterBlockSize; ++i)
        marked[static_cast<std::size_t>(i)] = -1000 - i;
    std::copy(marked.begin(), marked.end(), RegisterBlock);
    return marked;
}

bool RegisterBlockIs(const Block& expected)
{
    return std::equal(expected.begin(), expected.end(), RegisterBlock);
}

bool DecodedFromReply(int count)
{
    for (int i = 0; i < count; ++i)
        if (RegisterBlock[i] != ReplyBuffer[3 + 2 * i] * 256 + ReplyBuffer[4 + 2 * i])
            return false;
    return true;
}

void CheckCodec(FuzzInput& input)
{
    const std::vector<uint8_t> reply = input.Take(kReplyBufferSize);
    std::memset(ReplyBuffer, 0, sizeof ReplyBuffer);
    std::copy(reply.begin(), reply.end(), ReplyBuffer);
    const Block before = MarkRegisterBlock();
    if (!ModbusRtu.CheckReadReply(ReplyBuffer, RegisterBlock)) {
        FUZZ_CHECK(RegisterBlockIs(before));
    } else {
        const int byteCount = ReplyBuffer[2];
        FUZZ_CHECK(ModbusFrame::CrcMatches(ReplyBuffer, 3 + byteCount));
        FUZZ_CHECK(byteCount / 2 <= kRegisterBlockSize);
        FUZZ_CHECK(DecodedFromReply(byteCount / 2));
    }
    const std::vector<uint8_t> request = input.Take(8);
    uint8_t head[8] = {};
    std::copy(request.begin(), request.end(), head);
    if (input.Byte() % 2)
        std::copy_n(head, 6, ReplyBuffer); // often the head itself, so that the passing side is reached
    const bool write =
        head[1] == ModbusFrame::kWriteMultipleRegisters || head[1] == ModbusFrame::kWriteSingleCoil;
    const bool copy = std::equal(head, head + 6, ReplyBuffer) && ModbusFrame::CrcMatches(ReplyBuffer, 6);
    FUZZ_CHECK(ModbusRtu.CheckWriteReply(ReplyBuffer, head) == (write && copy));
}

// A write counts as done only on the meter's copy of the request's head.
void CheckWriteConfirmation(const Modbus::WriteResult& written)
{
    if (written.confirmed) {
        FUZZ_CHECK(std::equal(RequestBuffer, RequestBuffer + 6, ReplyBuffer));
        FUZZ_CHECK(ModbusFrame::CrcMatches(ReplyBuffer, 6));
        FUZZ_CHECK(written.exceptionCode == 0);
    }
    if (written.exceptionCode != 0)
        FUZZ_CHECK(ReplyBuffer[0] == RequestBuffer[0] &&
                   ReplyBuffer[1] == (RequestBuffer[1] | ModbusFrame::kExceptionFlag));
}

void CheckTransaction(FuzzInput& input, ReplyLine& line)
{
    SlaveId = 1 + input.Byte() % 247;
    const int kind = input.Byte() % 3;
    const int start = input.Word();
    const int count = 1 + input.Byte() % kRegisterBlockSize;
    line.Play(input);
    if (kind == 0) {
        const Block before = MarkRegisterBlock();
        if (!Modbus::ReadRegisters(start, count, 300, 250)) {
            FUZZ_CHECK(RegisterBlockIs(before));
            return;
        }
        FUZZ_CHECK(ReplyBuffer[0] == SlaveId);
        FUZZ_CHECK(ReplyBuffer[1] == ModbusFrame::kReadHoldingRegisters);
        FUZZ_CHECK(ReplyBuffer[2] == 2 * count);
        FUZZ_CHECK(ModbusFrame::CrcMatches(ReplyBuffer, 3 + 2 * count));
        FUZZ_CHECK(DecodedFromReply(count));
    } else if (kind == 1) {
        std::fill_n(RegisterBlock, kRegisterBlockSize, 0);
        CheckWriteConfirmation(Modbus::WriteRegisters(start, count, 300, 250));
    } else {
        CheckWriteConfirmation(Modbus::WriteCoil(start % RegisterMap::kRelayCoilCount, 0xFF00, 200, 250));
    }
}
} // namespace

// The transaction's wait may run an event loop.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static ReplyLine line;
    FuzzInput input(data, size);
    if (input.Byte() % 2 == 0)
        CheckCodec(input);
    else
        CheckTransaction(input, line);
    return 0;
}
