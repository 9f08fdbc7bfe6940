#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Facts of Modbus RTU frames that whoever builds, sends or waits for a frame relies on:
// the tool, the simulated meter, the tests and the fuzz targets all use these, so the two
// ends of the line cannot drift apart. Plain C++, no Qt.
namespace ModbusFrame {

// The function codes the tool sends.
enum Function : uint8_t
{
    kReadHoldingRegisters = 3,
    kWriteSingleCoil = 5,
    kWriteMultipleRegisters = 16,
};

// A slave that refuses a request answers with the function code's high bit set.
inline constexpr uint8_t kExceptionFlag = 0x80;
// Slave address, function code, exception code and two CRC bytes.
inline constexpr int kExceptionReplyLength = 5;
// Slave address, a PDU of up to 253 bytes and two CRC bytes.
inline constexpr int kLongestFrameLength = 256;

// Length of the normal reply to a request frame: 5 + 2n for a read of n registers
// (address, function, byte count, data, CRC), 8 for the echo that answers a write
// of registers or of a coil; 0 for a frame too short to tell or of another function.
int ExpectedReplyLength(const uint8_t* request, int requestLength);

// Whether the first received bytes of reply make a whole reply to request: its
// normal reply, or an exception reply.
bool IsReplyComplete(const uint8_t* request, int requestLength, const uint8_t* reply, int received);

// CRC-16/MODBUS (polynomial 0xA001 reflected, initial value 0xFFFF).
uint16_t Crc16(const uint8_t* bytes, std::size_t length);

// Puts the CRC of frame[0..length) at frame[length], low byte first, and
// returns the frame's new length; frame must hold length + 2 bytes.
int AppendCrc(uint8_t* frame, int length);
void AppendCrc(std::vector<uint8_t>& frame);
std::vector<uint8_t> WithCrc(std::vector<uint8_t> frame);

// True when frame[length] and frame[length + 1] hold the CRC of frame[0..length).
bool CrcMatches(const uint8_t* frame, int length);
// True when a whole frame (address, function and at least two more bytes) ends in its CRC.
bool HasValidCrc(const std::vector<uint8_t>& frame);

} // namespace ModbusFrame

// Addresses of the meter's register map that the tool reads or writes and the
// simulated meter serves.
namespace RegisterMap {
inline constexpr int kCommonData = 0;   // 45 registers
inline constexpr int kRealtime = 100;   // 39 registers
inline constexpr int kInputs = 137;     // switch inputs S1..S8, one bit each
inline constexpr int kRelays = 138;     // relay outputs R1..R4, one bit each
inline constexpr int kEnergy = 200;     // twelve u32 counters
inline constexpr int kDemand = 300;     // demands and their maxima with time stamps
inline constexpr int kHarmonics = 400;  // index k at 400 + k
inline constexpr int kMaxima = 600;     // maxima from 600, minima from 615
inline constexpr int kClock = 700;      // year - 2000, month, day, hour, minute, second
inline constexpr int kEvents = 710;     // 50 records of four registers
inline constexpr int kCtPrimary = 1000; // block A: CT, PT, wiring, address, rate index
inline constexpr int kCtSecondary = 1001;
inline constexpr int kPtPrimary = 1002; // u32, low word first
inline constexpr int kPtSecondary = 1004;
inline constexpr int kWiring = 1005;
inline constexpr int kMeterAddress = 1006;
inline constexpr int kBaudIndex = 1007;
inline constexpr int kClearMaxMin = 1009;
inline constexpr int kClearEnergy = 1010;
inline constexpr int kClearDemand = 1011;
inline constexpr int kClearEvents = 1012;
inline constexpr int kReturnTime = 1015;  // relays 1 to 4, seconds
inline constexpr int kActivePulse = 1021; // block B: pulses, pulse constant, analog output
inline constexpr int kReactivePulse = 1022;
inline constexpr int kPulseConstant = 1023;
inline constexpr int kAnalogTarget = 1024;
inline constexpr int kAnalogMagnification = 1025;
inline constexpr int kRelayAlarm = 1030;  // five per relay: mode, target, upper, lower, delay
inline constexpr int kClearCommand = 255; // written to a clear register to clear
inline constexpr int kRelayCoilCount = 4; // coils 0 to 3 switch relays 1 to 4
} // namespace RegisterMap
