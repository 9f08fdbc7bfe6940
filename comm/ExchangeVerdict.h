#pragma once

#include <cstdint>

// What became of one request on the line, judged from its bytes and the reply's
// with the frame module's facts. Plain C++, no Qt.
struct ExchangeVerdict
{
    enum Kind
    {
        Answered,  // the slave's whole reply to this request, CRC good
        Exception, // the slave refused the request; exceptionCode says why
        BadCrc,    // a whole reply whose CRC does not match
        Short,     // fewer bytes than the reply needs
        Foreign,   // bytes from another slave, for another function, or of another request
        Echo,      // the request's own bytes, sent back by the converter
        NoReply,   // nothing arrived within the wait
        NotSent,   // the request never went on the line
        KindCount
    };
    Kind kind;
    uint8_t exceptionCode = 0;
};

ExchangeVerdict JudgeReply(const uint8_t* request, int requestLength, const uint8_t* reply, int replyLength);

// A word or two for the verdict ("answered", "bad CRC").
const char* VerdictName(ExchangeVerdict::Kind kind);
// The standard meaning of a Modbus exception code ("illegal data address"), or "unknown exception".
const char* ExceptionMeaning(uint8_t code);
