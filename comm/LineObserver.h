#pragma once

#include <cstdint>
#include <functional>
#include <span>

// One thing that happened on the line, as the frame log sees it: an exchange
// (the request and whatever arrived within its wait), a request that was never
// sent, the request's own bytes echoed back by the converter, or stray bytes: a
// gateway's bytes that answered no request in flight and were dropped as they came.
struct LineEvent
{
    enum Kind
    {
        Exchange,
        NotSent,
        Echo,
        Stray
    };
    Kind kind;
    std::span<const uint8_t> request;
    std::span<const uint8_t> reply; // Exchange: the reply's bytes; Echo: the echoed bytes
    int64_t sentAtMs;               // wall-clock time of the write (or of the refusal, or of the first stray
                                    // byte), ms since the epoch
    int64_t replyMs;                // Exchange: from the write to the end of the read
    const char* reason;             // NotSent: why it stayed off the line
    int64_t strayBytes = 0;         // Stray: how many were dropped
};

// Whoever watches the line (the window's line monitor) sets one observer; an
// empty one stops the watching. It is called on the window's thread in the
// middle of the exchange, so it must only take note and return.
using LineObserver = std::function<void(const LineEvent&)>;
void SetLineObserver(LineObserver observer);
bool LineObserved();
void ObserveLine(const LineEvent& event);
