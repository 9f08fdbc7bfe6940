#pragma once

#include <cstdint>
#include <functional>
#include <span>

// One thing that happened on the line, as the frame log sees it: an exchange
// (the request and whatever arrived within its wait), a request that was never
// sent, or the request's own bytes echoed back by the converter.
struct LineEvent
{
    enum Kind
    {
        Exchange,
        NotSent,
        Echo
    };
    Kind kind;
    std::span<const uint8_t> request;
    std::span<const uint8_t> reply; // Exchange: the reply's bytes; Echo: the echoed bytes
    int64_t sentAtMs;               // wall-clock time of the write (or of the refusal), ms since the epoch
    int64_t replyMs;                // Exchange: from the write to the end of the read
    const char* reason;             // NotSent: why it stayed off the line
};

// Whoever watches the line (the window's line monitor) sets one observer; an
// empty one stops the watching. It is called on the window's thread in the
// middle of the exchange, so it must only take note and return.
using LineObserver = std::function<void(const LineEvent&)>;
void SetLineObserver(LineObserver observer);
bool LineObserved();
void ObserveLine(const LineEvent& event);
