#include "comm/FrameGap.h"

#include "comm/Line.h"
#include "comm/LineWait.h"

#include <QtGlobal>
#include <chrono>

namespace FrameGap {
namespace {
constexpr unsigned kFixedAbove = 19200;
constexpr long long kFixedSilenceUs = 1750;
constexpr int kModbusBitsPerCharacter = 11;
constexpr int kLongestPauseMs = 60000;

int g_pauseMs = -1;
} // namespace

long long SilenceMicroseconds(unsigned baud)
{
    if (baud == 0 || baud > kFixedAbove)
        return kFixedSilenceUs;
    return (7LL * kModbusBitsPerCharacter * 1'000'000 + 2LL * baud - 1) / (2LL * baud);
}

int PauseMs()
{
    if (g_pauseMs >= 0)
        return g_pauseMs;
    return qBound(0, qEnvironmentVariableIntValue("VEMO400_PAUSE_MS"), kLongestPauseMs);
}

void SetPauseMs(int pauseMs)
{
    g_pauseMs = qMin(pauseMs, kLongestPauseMs);
}

void KeepBeforeSending()
{
    using namespace std::chrono;
    const auto due =
        Line().QuietSince() + microseconds(SilenceMicroseconds(Line().Baud())) + milliseconds(PauseMs());
    const auto left = due - steady_clock::now();
    if (left > steady_clock::duration::zero())
        LineWait::For(static_cast<int>(ceil<milliseconds>(left).count()));
}

} // namespace FrameGap
