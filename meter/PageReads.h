#pragma once

#include "comm/ModbusFrame.h"

#include <array>

// What each page asks of the meter, as data: the registers of each request,
// its designed wait and how many reply bytes its read takes, and the layout of
// the blocks whose registers have names. The pages and vemo400-cli both send
// these requests, so a page reads the same on the line from either.
namespace PageReads {

// Holding registers in one request: after a read, entry k of RegisterBlock
// holds register first + k. The reply is awaited up to waitMs, and at most
// readLength bytes of it are taken.
struct Request
{
    int first;
    int count;
    int waitMs;
    int readLength;
};

// The RegisterBlock entry that holds register address after a read from first.
constexpr int Entry(int first, int address)
{
    return address - first;
}

// The wait and read length of one direction of a block's exchange.
struct Timing
{
    int waitMs;
    int readLength;
};

// A block a page both loads and sets: the same registers each way, each way with its own timing.
struct SettingsBlock
{
    int first;
    int count;
    Timing load;
    Timing set;

    constexpr Request Load() const { return {first, count, load.waitMs, load.readLength}; }
    constexpr Request Set() const { return {first, count, set.waitMs, set.readLength}; }
    constexpr bool Holds(int address) const { return address >= first && address < first + count; }
};

// A long table read in blocks of blockSize registers, each block sent up to three times.
struct BlockTable
{
    int first;
    int blockCount;
    int blockSize;
    int waitMs;
    int readLength;

    constexpr int Size() const { return blockCount * blockSize; }
    constexpr Request Block(int block) const
    {
        return {first + block * blockSize, blockSize, waitMs, readLength};
    }
};

// The live-value pages poll their block after the ratio refresh; the energy page polls without one.
inline constexpr Request kRealtime{RegisterMap::kRealtime, 39, 500, 250};
inline constexpr Request kCommon{RegisterMap::kCommonData, 45, 500, 250};
inline constexpr Request kMaxMin{RegisterMap::kMaxima, 30, 500, 250};
inline constexpr Request kDemand{RegisterMap::kDemand, 26, 100, 250};
inline constexpr Request kEnergy{RegisterMap::kEnergy, 24, 200, 300};

// The harmonic table, indices 0 to 188 (registers 400 to 588), read in nine
// blocks, so that the highest orders show what the meter holds.
inline constexpr BlockTable kHarmonics{RegisterMap::kHarmonics, 9, 21, 300, 300};
// The same table in as few requests as the shared buffers take (at most 100 registers
// each): the wiring check reads every order with it.
inline constexpr BlockTable kHarmonicsInFew{RegisterMap::kHarmonics, 3, 63, 500, 250};
static_assert(kHarmonicsInFew.Size() == kHarmonics.Size());
// The 50 event records of four registers, read in five blocks of 40 registers.
inline constexpr BlockTable kEvents{RegisterMap::kEvents, 5, 40, 300, 300};

// A clear command: one register written with RegisterMap::kClearCommand.
inline constexpr Timing kClear{200, 250};

// Block A: the transformer ratios, the wiring and the meter's own address and rate.
namespace BlockA {
inline constexpr SettingsBlock kBlock{RegisterMap::kCtPrimary, 8, {100, 300}, {200, 250}};
inline constexpr int kCtPrimary = Entry(kBlock.first, RegisterMap::kCtPrimary);
inline constexpr int kCtSecondary = Entry(kBlock.first, RegisterMap::kCtSecondary);
inline constexpr int kPtPrimary = Entry(kBlock.first, RegisterMap::kPtPrimary); // and the high word after it
inline constexpr int kPtSecondary = Entry(kBlock.first, RegisterMap::kPtSecondary);
inline constexpr int kWiring = Entry(kBlock.first, RegisterMap::kWiring);
inline constexpr int kAddress = Entry(kBlock.first, RegisterMap::kMeterAddress);
inline constexpr int kBaudIndex = Entry(kBlock.first, RegisterMap::kBaudIndex);
static_assert(kBaudIndex == kBlock.count - 1);
} // namespace BlockA

// Block B: the pulse and analog outputs.
namespace BlockB {
inline constexpr SettingsBlock kBlock{RegisterMap::kActivePulse, 5, {100, 300}, {200, 250}};
inline constexpr int kActivePulse = Entry(kBlock.first, RegisterMap::kActivePulse);
inline constexpr int kReactivePulse = Entry(kBlock.first, RegisterMap::kReactivePulse);
inline constexpr int kPulseConstant = Entry(kBlock.first, RegisterMap::kPulseConstant);
inline constexpr int kAnalogTarget = Entry(kBlock.first, RegisterMap::kAnalogTarget);
inline constexpr int kMagnification = Entry(kBlock.first, RegisterMap::kAnalogMagnification);
static_assert(kMagnification == kBlock.count - 1);
} // namespace BlockB

// The relay page: it clears the line before its loads, sets and switches, then
// loads the relay settings and the return times, and polls the status bits.
namespace Relays {
inline constexpr int kRelayCount = RegisterMap::kRelayCoilCount;
inline constexpr Timing kClearLine{100, 250};
// Five settings per relay, relay r's from entry kPerRelay × r on, in this order.
inline constexpr int kPerRelay = 5;
inline constexpr int kMode = 0;
inline constexpr int kTarget = 1;
inline constexpr int kUpper = 2;
inline constexpr int kLower = 3;
inline constexpr int kDelay = 4;
inline constexpr SettingsBlock kSettings{
    RegisterMap::kRelayAlarm, kPerRelay* kRelayCount, {300, 250}, {300, 250}};
// One return time per relay, relay r's at entry r.
inline constexpr SettingsBlock kReturnTimes{RegisterMap::kReturnTime, kRelayCount, {200, 250}, {300, 250}};
// The switch inputs S1..S8 and the relay outputs R1..R4, one bit each.
inline constexpr Request kStatus{RegisterMap::kInputs, 2, 200, 250};
inline constexpr int kInputs = Entry(kStatus.first, RegisterMap::kInputs);
inline constexpr int kOutputs = Entry(kStatus.first, RegisterMap::kRelays);
// Closing or opening one relay's coil.
inline constexpr Timing kSwitch{200, 250};
} // namespace Relays

// The meter clock, read and set by the SOE page.
namespace Clock {
inline constexpr SettingsBlock kBlock{RegisterMap::kClock, 6, {400, 250}, {400, 250}};
inline constexpr int kYear = 0; // year - 2000
inline constexpr int kMonth = 1;
inline constexpr int kDay = 2;
inline constexpr int kHour = 3;
inline constexpr int kMinute = 4;
inline constexpr int kSecond = 5;
static_assert(kSecond == kBlock.count - 1);
using Values = std::array<int, kBlock.count>;
} // namespace Clock

} // namespace PageReads
