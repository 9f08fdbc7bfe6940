#pragma once

#include "comm/ModbusFrame.h"

// Addresses of the meter's registers that the simulator fills or acts on.
// Live values are secondary-side quantities: 0.01 V, 0.001 A, 0.1 W / var / VA,
// PF in 0.001, frequency in 0.01 Hz, THD and unbalance in 0.1 %.
namespace MeterReg {
// Common data block, 0 to 44.
inline constexpr int kCommonPhaseVoltage = RegisterMap::kCommonData; // Ua, Ub, Uc
inline constexpr int kCommonLineVoltage = 3;                         // Uab, Ubc, Uca
inline constexpr int kCommonCurrent = 6;                             // Ia, Ib, Ic
inline constexpr int kCommonZeroCurrent = 9;
inline constexpr int kCommonP = 10; // s32
inline constexpr int kCommonQ = 12; // s32
inline constexpr int kCommonS = 14; // s32
inline constexpr int kCommonPf = 16;
inline constexpr int kCommonFrequency = 17;
inline constexpr int kCommonEnergy = 18; // import P, import Q, export P, export Q, u32 each
inline constexpr int kCommonInputs = 26;
inline constexpr int kCommonRelays = 27;
inline constexpr int kCommonThd = 28;     // Ua, Ub, Uc, Ia, Ib, Ic
inline constexpr int kCommonKFactor = 34; // Ia, Ib, Ic
inline constexpr int kCommonDemand = 37;  // current u16, then P, Q, S s32
inline constexpr int kCommonEventCount = 44;

// Realtime block, 100 to 138.
inline constexpr int kPhaseVoltage = RegisterMap::kRealtime;
inline constexpr int kPhaseVoltageUnbalance = 103;
inline constexpr int kPhaseVoltageAverage = 104;
inline constexpr int kLineVoltage = 105;
inline constexpr int kLineVoltageUnbalance = 108;
inline constexpr int kLineVoltageAverage = 109;
inline constexpr int kZeroVoltage = 110;
inline constexpr int kCurrent = 111;
inline constexpr int kCurrentUnbalance = 114;
inline constexpr int kCurrentAverage = 115;
inline constexpr int kZeroCurrent = 116;
inline constexpr int kPhaseP = 117; // s16 per phase
inline constexpr int kTotalP = 120; // s32
inline constexpr int kPhaseQ = 122;
inline constexpr int kTotalQ = 125;
inline constexpr int kPhaseS = 127;
inline constexpr int kTotalS = 130;
inline constexpr int kPhasePf = 132;
inline constexpr int kTotalPf = 135;
inline constexpr int kFrequency = 136;
inline constexpr int kInputs = RegisterMap::kInputs;
inline constexpr int kRelays = RegisterMap::kRelays;

// Twelve u32 energy counters in 0.1 kWh / kvarh (primary side).
inline constexpr int kEnergy = RegisterMap::kEnergy;
inline constexpr int kEnergyCount = 12;

// Demands: present average current u16 and P, Q, S s32, then the maxima with
// three-register time stamps.
inline constexpr int kDemand = RegisterMap::kDemand;
inline constexpr int kDemandMaxCurrent = 307;
inline constexpr int kDemandMaxCurrentTime = 308;
inline constexpr int kDemandMaxP = 311;
inline constexpr int kDemandMaxQ = 316;
inline constexpr int kDemandMaxS = 321;

// Harmonic table: index k at 400 + k (THD, K factors, orders 2 to 31).
inline constexpr int kHarmonics = RegisterMap::kHarmonics;

// Maxima at 600, minima at 615: Ia, Ib, Ic u16, P, Q, S s32, THD Ia..Ic, Ua..Uc.
inline constexpr int kMaxima = RegisterMap::kMaxima;
inline constexpr int kMinima = 615;

inline constexpr int kClock = RegisterMap::kClock;   // year - 2000, month, day, hour, minute, second
inline constexpr int kEvents = RegisterMap::kEvents; // 50 records of four registers
inline constexpr int kEventRecords = 50;

// Settings.
inline constexpr int kCtPrimary = RegisterMap::kCtPrimary;
inline constexpr int kCtSecondary = RegisterMap::kCtSecondary;
inline constexpr int kPtPrimary = RegisterMap::kPtPrimary; // u32
inline constexpr int kPtSecondary = RegisterMap::kPtSecondary;
inline constexpr int kWiring = RegisterMap::kWiring;
inline constexpr int kAddress = RegisterMap::kMeterAddress;
inline constexpr int kBaudIndex = RegisterMap::kBaudIndex;
inline constexpr int kClearMaxMin = RegisterMap::kClearMaxMin;
inline constexpr int kClearEnergy = RegisterMap::kClearEnergy;
inline constexpr int kClearDemand = RegisterMap::kClearDemand;
inline constexpr int kClearEvents = RegisterMap::kClearEvents;
inline constexpr int kReturnTime = RegisterMap::kReturnTime; // relays 1 to 4, seconds
inline constexpr int kActivePulse = RegisterMap::kActivePulse;
inline constexpr int kReactivePulse = RegisterMap::kReactivePulse;
inline constexpr int kPulseConstant = RegisterMap::kPulseConstant;
inline constexpr int kAnalogTarget = RegisterMap::kAnalogTarget;
inline constexpr int kAnalogScale = RegisterMap::kAnalogMagnification;
inline constexpr int kRelayAlarm =
    RegisterMap::kRelayAlarm; // five per relay: mode, target, upper, lower, delay
inline constexpr int kClearCommand = RegisterMap::kClearCommand;
} // namespace MeterReg
