#pragma once

#include "FuzzCheck.h"
#include "comm/GatewayFrame.h"
#include "comm/ModbusFrame.h"

#include <cstdint>
#include <vector>

// A gateway connection played from a fuzzer's input, step by step: a byte 0 sends a request
// (the next six bytes: unit, function and four more, then its CRC); any other byte n gives
// the next n bytes of the input as the gateway's next piece of its stream.
struct GatewayStep
{
    bool send;
    std::vector<uint8_t> bytes; // the RTU request, or the piece the gateway sent
};

inline std::vector<GatewayStep> ReadSteps(FuzzInput& input)
{
    std::vector<GatewayStep> steps;
    while (!input.Empty()) {
        const uint8_t step = input.Byte();
        if (step == 0)
            steps.push_back({true, ModbusFrame::WithCrc(input.Take(6))});
        else
            steps.push_back({false, input.Take(step)});
    }
    return steps;
}

// The same stream with what the gateway sent between two requests in one piece.
inline std::vector<GatewayStep> Joined(const std::vector<GatewayStep>& steps)
{
    std::vector<GatewayStep> joined;
    for (const GatewayStep& step : steps) {
        if (step.send || joined.empty() || joined.back().send)
            joined.push_back(step);
        else
            joined.back().bytes.insert(joined.back().bytes.end(), step.bytes.begin(), step.bytes.end());
    }
    return joined;
}

// What came of one request: the bytes passed on for it and those dropped after it.
struct Passed
{
    std::vector<uint8_t> reply;
    std::size_t dropped = 0;
    bool lost = false;
};

// Plays the steps on a framing; one entry for the bytes before the first request, one per
// request. A lost stream is gone, as the line's connection is, until the next request
// connects again: what the gateway sent meanwhile never arrives and counts as dropped.
template <typename Check>
std::vector<Passed> Play(GatewayFrame::CFraming& framing, const std::vector<GatewayStep>& steps, Check& check)
{
    std::vector<Passed> passed(1);
    bool connected = true;
    for (const GatewayStep& step : steps) {
        if (step.send) {
            if (!connected)
                framing.Restart();
            connected = true;
            check.Sent(step.bytes, framing.Send(step.bytes.data(), static_cast<int>(step.bytes.size())));
            passed.emplace_back();
            continue;
        }
        Passed& now = passed.back();
        if (!connected) {
            now.dropped += step.bytes.size();
            continue;
        }
        const std::size_t held = framing.Held();
        const std::size_t before = now.reply.size();
        const GatewayFrame::Taken taken = framing.Take(step.bytes.data(), step.bytes.size(), now.reply);
        now.dropped += taken.dropped;
        now.lost = now.lost || taken.lost;
        connected = !taken.lost;
        check.Took(step.bytes, held, taken, now.reply, before, framing.Held());
    }
    return passed;
}

inline bool operator==(const Passed& a, const Passed& b)
{
    return a.reply == b.reply && a.dropped == b.dropped && a.lost == b.lost;
}

// Checks nothing: for the run that only serves for comparison.
struct NoCheck
{
    void Sent(const std::vector<uint8_t>&, const std::vector<uint8_t>&) {}
    void Took(const std::vector<uint8_t>&, std::size_t, const GatewayFrame::Taken&,
              const std::vector<uint8_t>&, std::size_t, std::size_t)
    {
    }
};

// Plays the input's steps as they came, with check, and again with the gateway's pieces
// between two requests joined: the pieces must change nothing.
template <typename Framing, typename Check> void PlayInAnyPieces(FuzzInput& input, Check& check)
{
    const std::vector<GatewayStep> steps = ReadSteps(input);
    Framing inPieces;
    Framing whole;
    NoCheck none;
    FUZZ_CHECK(Play(inPieces, steps, check) == Play(whole, Joined(steps), none));
}
