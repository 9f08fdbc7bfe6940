#pragma once

#include <cstdint>
#include <functional>

// The transaction every page runs: build the request into RequestBuffer with
// SlaveId, write it, wait until the reply is complete or the call site's wait
// is up (LineWait: the window stays live), read what has arrived into
// ReplyBuffer and check it. Reads decode into RegisterBlock; writes take their
// values from RegisterBlock.
namespace Modbus {

// While a gate lives, the exchanges of the running sequence are sent only while
// wanted() holds: a tick of a page the user has left ends after the exchange in
// flight. Gates nest; the innermost one decides.
class SequenceGate
{
public:
    explicit SequenceGate(std::function<bool()> wanted);
    ~SequenceGate();
    SequenceGate(const SequenceGate&) = delete;
    SequenceGate& operator=(const SequenceGate&) = delete;

private:
    std::function<bool()> m_previous;
};

// Whether the running sequence has been called off (its gate says no, or the
// window closes): its exchanges send nothing, and what failed counts for nothing.
bool CalledOff();

// Function code 3; true when the read-reply check passes.
bool ReadRegisters(int start, int count, int waitMs, int readLength);

// What became of a write: it counts as done only when the meter confirmed it.
struct WriteResult
{
    int received;          // bytes that arrived within the wait
    bool confirmed;        // the write-reply check passed
    uint8_t exceptionCode; // the meter refused the write with this code; 0 when it did not
};
// Function code 16 with RegisterBlock[0..count) as the values.
WriteResult WriteRegisters(int start, int count, int waitMs, int readLength);

// Function code 5 (0xFF00 closes, 0x0000 opens), confirmed by a copy of the request
// after any converter echo.
WriteResult WriteCoil(int coil, int value, int waitMs, int readLength);

// Waits the whole time (the window stays live), then takes whatever has arrived into ReplyBuffer and drops
// it: the meter may still be sending after an earlier request. Returns the bytes taken.
int ClearLine(int waitMs, int readLength);

// Refreshes CtRatio and PtRatio from registers 1000 to 1004 of the meter at SlaveId.
// Each meter of the line keeps the ratios last read from it: on a failed read, or when a
// secondary reads 0, its previous ones stay. Until one read succeeds they are 0, and a value
// scaled by them is no reading.
inline constexpr int kRatioWaitMs = 100;
enum class RatioRefresh
{
    Answered, // the meter answered the read; ratios read from it are in use
    Earlier,  // it did not; those read from it earlier are in use
    None,     // none have been read from it: the ratios are 0
};
RatioRefresh RefreshRatiosOf(int waitMs = kRatioWaitMs);
// True when the ratios now in use were read from this meter.
inline bool RefreshRatios(int waitMs = kRatioWaitMs)
{
    return RefreshRatiosOf(waitMs) != RatioRefresh::None;
}

// Forgets the ratios of every meter, as opening a line of another name does.
void ForgetRatios();

} // namespace Modbus
