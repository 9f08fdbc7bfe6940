#include "comm/ExchangeVerdict.h"

#include "comm/ModbusFrame.h"

#include <cstring>

namespace {
using ModbusFrame::kExceptionFlag;
using ModbusFrame::kExceptionReplyLength;

ExchangeVerdict Judged(ExchangeVerdict::Kind kind)
{
    return {kind, 0};
}

// A read reply carries its own length in its byte count. A whole frame by that
// count with a good CRC is the slave's answer: short when it holds fewer
// registers than asked, foreign when it holds more.
ExchangeVerdict JudgeReadReply(const uint8_t* request, const uint8_t* reply, int replyLength, int expected)
{
    if (replyLength < 3)
        return Judged(ExchangeVerdict::Short);
    const int asked = 2 * (request[4] * 256 + request[5]);
    const int own = 5 + reply[2];
    if (replyLength >= own && ModbusFrame::CrcMatches(reply, own - 2)) {
        if (reply[2] == asked)
            return Judged(ExchangeVerdict::Answered);
        return Judged(reply[2] < asked ? ExchangeVerdict::Short : ExchangeVerdict::Foreign);
    }
    return Judged(replyLength < expected ? ExchangeVerdict::Short : ExchangeVerdict::BadCrc);
}

// A write reply repeats the request's address and count (or coil and value).
ExchangeVerdict JudgeWriteReply(const uint8_t* request, const uint8_t* reply, int replyLength, int expected)
{
    if (replyLength < expected)
        return Judged(ExchangeVerdict::Short);
    if (!ModbusFrame::CrcMatches(reply, expected - 2))
        return Judged(ExchangeVerdict::BadCrc);
    return Judged(std::memcmp(reply + 2, request + 2, 4) == 0 ? ExchangeVerdict::Answered
                                                              : ExchangeVerdict::Foreign);
}

ExchangeVerdict JudgeException(const uint8_t* reply, int replyLength)
{
    // slave address, function | 0x80, exception code, CRC
    if (replyLength < kExceptionReplyLength)
        return Judged(ExchangeVerdict::Short);
    if (!ModbusFrame::CrcMatches(reply, kExceptionReplyLength - 2))
        return Judged(ExchangeVerdict::BadCrc);
    return {ExchangeVerdict::Exception, reply[2]};
}
} // namespace

ExchangeVerdict JudgeReply(const uint8_t* request, int requestLength, const uint8_t* reply, int replyLength)
{
    if (replyLength <= 0)
        return Judged(ExchangeVerdict::NoReply);
    if (replyLength < 2)
        return Judged(ExchangeVerdict::Short);
    if (requestLength < 2 || reply[0] != request[0] ||
        static_cast<uint8_t>(reply[1] & ~kExceptionFlag) != request[1])
        return Judged(ExchangeVerdict::Foreign);
    if (reply[1] & kExceptionFlag)
        return JudgeException(reply, replyLength);
    const int expected = ModbusFrame::ExpectedReplyLength(request, requestLength);
    if (expected == 0)
        return Judged(ModbusFrame::CrcMatches(reply, replyLength - 2) ? ExchangeVerdict::Answered
                                                                      : ExchangeVerdict::BadCrc);
    if (request[1] == ModbusFrame::kReadHoldingRegisters)
        return JudgeReadReply(request, reply, replyLength, expected);
    return JudgeWriteReply(request, reply, replyLength, expected);
}

const char* VerdictName(ExchangeVerdict::Kind kind)
{
    switch (kind) {
    case ExchangeVerdict::Answered:
        return "answered";
    case ExchangeVerdict::Exception:
        return "exception";
    case ExchangeVerdict::BadCrc:
        return "bad CRC";
    case ExchangeVerdict::Short:
        return "short";
    case ExchangeVerdict::Foreign:
        return "foreign";
    case ExchangeVerdict::Echo:
        return "echo";
    case ExchangeVerdict::NoReply:
        return "no reply";
    case ExchangeVerdict::NotSent:
        return "not sent";
    case ExchangeVerdict::KindCount:
        break;
    }
    return "?";
}

const char* ExceptionMeaning(uint8_t code)
{
    switch (code) {
    case 1:
        return "illegal function";
    case 2:
        return "illegal data address";
    case 3:
        return "illegal data value";
    case 4:
        return "slave device failure";
    case 5:
        return "acknowledge";
    case 6:
        return "slave device busy";
    case 8:
        return "memory parity error";
    case 10:
        return "gateway path unavailable";
    case 11:
        return "gateway target device failed to respond";
    default:
        return "unknown exception";
    }
}
