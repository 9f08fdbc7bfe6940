#pragma once

#include "FuzzCheck.h"
#include "PtyPair.h"

#include <QSocketNotifier>
#include <cstdint>
#include <vector>

// The tool's real serial port on a pseudo-terminal whose far end answers each
// request with the next reply drawn from a fuzzer's input. Each reply starts
// with a byte that chooses how it is made, so that most inputs get past the
// CRC and reach the decoding behind the checks:
//   0: raw bytes (a length byte, then the bytes), as they are;
//   1: raw bytes with their CRC appended;
//   2: a well-formed answer to the request: for a read the slave, function 3,
//      the byte count and data bytes from the input, for a write its echo;
//   3: an exception reply with a code from the input.
// An input at its end leaves the meter silent. The reply goes on the line while
// the transaction waits, padded so that no exchange sits out its whole wait.
class ReplyLine
{
public:
    ReplyLine();
    ~ReplyLine();
    ReplyLine(const ReplyLine&) = delete;
    ReplyLine& operator=(const ReplyLine&) = delete;

    // Replies from now on come from input, which must outlive the exchanges.
    void Play(FuzzInput& input);
    // True when a reply since Play answered its read request as a meter must:
    // from the slave asked, function 3, twice as many data bytes as registers
    // asked and a good CRC.
    bool AnsweredAReadWell() const { return m_answeredWell; }

    // The reply that a choice byte and the rest of input make for request.
    static std::vector<uint8_t> MakeReply(FuzzInput& input, const uint8_t* request);
    static bool AnswersRead(const std::vector<uint8_t>& reply, const uint8_t* request);

private:
    void Answer();

    PtyPair m_pty;
    QSocketNotifier m_request;
    FuzzInput* m_input = nullptr;
    bool m_answeredWell = false;
};
