#include "comm/Transaction.h"

#include "comm/ConverterEcho.h"
#include "comm/ExchangeVerdict.h"
#include "comm/FrameGap.h"
#include "comm/FrameLog.h"
#include "comm/Line.h"
#include "comm/LineWait.h"
#include "comm/ModbusFrame.h"
#include "comm/ModbusRtu.h"
#include "comm/RequestGuard.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

namespace Modbus {
namespace {
std::function<bool()> g_wanted;

// The ratios read from each meter of the line they were read on, by slave address.
struct KnownRatios
{
    std::string line;
    std::map<int32_t, TransformerRatios> bySlave;
};
KnownRatios g_ratios;

// Takes the reply's bytes as they arrive until it is complete or waitMs are up;
// returns how many were taken. A copy of the request at the head may be the
// converter's echo, so the reply counts as complete only after it. With fixed
// waits it takes none and sits out waitMs.
int AwaitReply(int requestLength, int waitMs, int limit)
{
    if (LineWait::FixedWaits()) {
        LineWait::For(waitMs);
        return 0;
    }
    int received = 0;
    LineWait::Until(waitMs, [&] {
        while (received < limit && Line().Read(ReplyBuffer + received, 1) == 1)
            ++received;
        if (ConverterEcho::MayBeArriving(RequestBuffer, requestLength, ReplyBuffer, received))
            return false;
        const int echo =
            ConverterEcho::Length(RequestBuffer, requestLength, ReplyBuffer, received, Line().Echoes());
        return received == limit || ModbusFrame::IsReplyComplete(RequestBuffer, requestLength,
                                                                 ReplyBuffer + echo, received - echo);
    });
    return received;
}

// Drops the converter's echo from the head of ReplyBuffer[0..received); returns what is left.
int DropEcho(int requestLength, int received, const FrameLog& log)
{
    const int echo =
        ConverterEcho::Length(RequestBuffer, requestLength, ReplyBuffer, received, Line().Echoes());
    if (echo == 0)
        return received;
    Line().NoteEcho();
    log.Echo(ReplyBuffer, echo);
    std::memmove(ReplyBuffer, ReplyBuffer + echo, static_cast<std::size_t>(received - echo));
    std::memset(ReplyBuffer + received - echo, 0, static_cast<std::size_t>(echo));
    return received - echo;
}

// Writes the built request once the line has been silent long enough, waits, and reads
// the reply; returns the bytes read. A called-off sequence sends nothing and finds the
// reply buffer empty.
int Exchange(int requestLength, int waitMs, int readLength)
{
    // Several call sites ask for more than the reply buffer holds; never read past it.
    const int limit = std::min(readLength, kReplyBufferSize);
    const auto nothing = [requestLength, limit] {
        FrameLog::NotSent(RequestBuffer, requestLength, "the sequence was called off");
        std::memset(ReplyBuffer, 0, static_cast<std::size_t>(limit));
        return 0;
    };
    if (CalledOff())
        return nothing();
    if (!MaySend(RequestBuffer, requestLength))
        return 0;
    // The window is live during the silence, so the user may leave the page meanwhile.
    FrameGap::KeepBeforeSending();
    if (CalledOff())
        return nothing();
    FrameLog log(RequestBuffer, requestLength);
    Line().Write(RequestBuffer, requestLength);
    // The read then runs as after a fixed wait: it takes what is left and ends at a gap.
    // An echo is not part of the reply, so the buffer's room beyond the designed length
    // takes it and the reply keeps its full length.
    const int room = std::min(limit + requestLength, kReplyBufferSize);
    const int taken = AwaitReply(requestLength, waitMs + Line().NetworkAllowanceMs(), room);
    const int arrived = taken + Line().Read(ReplyBuffer + taken, room - taken);
    const int received = std::min(DropEcho(requestLength, arrived, log), limit);
    std::memset(ReplyBuffer + received, 0, static_cast<std::size_t>(room - received));
    log.Reply(ReplyBuffer, received);
    return received;
}
// The write of requestLength bytes in RequestBuffer, judged from the received bytes of its reply.
WriteResult WriteOutcome(int requestLength, int received)
{
    const ExchangeVerdict verdict = JudgeReply(RequestBuffer, requestLength, ReplyBuffer, received);
    return {received, ModbusRtu.CheckWriteReply(ReplyBuffer, RequestBuffer),
            verdict.kind == ExchangeVerdict::Exception ? verdict.exceptionCode : uint8_t{0}};
}
} // namespace

SequenceGate::SequenceGate(std::function<bool()> wanted) : m_previous(std::move(g_wanted))
{
    g_wanted = std::move(wanted);
}

SequenceGate::~SequenceGate()
{
    g_wanted = std::move(m_previous);
}

bool CalledOff()
{
    return LineWait::Closing() || (g_wanted && !g_wanted());
}

bool ReadRegisters(int start, int count, int waitMs, int readLength)
{
    Exchange(ModbusRtu.BuildReadRegisters(RequestBuffer, SlaveId, start, count), waitMs, readLength);
    // A short or foreign reply would leave entries of an earlier read in the block, shown as if read now.
    return AnswersRead(SlaveId, count) && ModbusRtu.CheckReadReply(ReplyBuffer, RegisterBlock);
}

WriteResult WriteRegisters(int start, int count, int waitMs, int readLength)
{
    const int length = ModbusRtu.BuildWriteRegisters(RequestBuffer, SlaveId, start, count, RegisterBlock);
    return WriteOutcome(length, Exchange(length, waitMs, readLength));
}

WriteResult WriteCoil(int coil, int value, int waitMs, int readLength)
{
    const int length = ModbusRtu.BuildWriteCoil(RequestBuffer, SlaveId, coil, value);
    return WriteOutcome(length, Exchange(length, waitMs, readLength));
}

int ClearLine(int waitMs, int readLength)
{
    LineWait::For(waitMs);
    return Line().Read(ReplyBuffer, std::min(readLength, kReplyBufferSize));
}

RatioRefresh RefreshRatiosOf(int waitMs)
{
    if (g_ratios.line != LineName())
        g_ratios = {LineName(), {}};
    constexpr int first = RegisterMap::kCtPrimary;
    constexpr int count = RegisterMap::kPtSecondary - first + 1;
    const bool answered = ReadRegisters(first, count, waitMs, 300);
    if (answered)
        if (const std::optional<TransformerRatios> read =
                RatiosOfRegisters(std::span<const int32_t, count>(RegisterBlock, count)))
            g_ratios.bySlave[SlaveId] = *read;
    const auto known = g_ratios.bySlave.find(SlaveId);
    const TransformerRatios inUse = known == g_ratios.bySlave.end() ? TransformerRatios{} : known->second;
    CtRatio = inUse.ct;
    PtRatio = inUse.pt;
    if (known == g_ratios.bySlave.end())
        return RatioRefresh::None;
    return answered ? RatioRefresh::Answered : RatioRefresh::Earlier;
}

void ForgetRatios()
{
    g_ratios = {};
    CtRatio = 0;
    PtRatio = 0;
}

} // namespace Modbus
