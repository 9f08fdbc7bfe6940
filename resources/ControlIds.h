#pragma once

// The ids of the controls that code looks up: the few every dialog or every table page shares, then one
// namespace per dialog resource. The numbers are the designed ones and repeat across dialogs with other
// meanings (1033 is Set on two pages, 1008 a grid on most pages but a list on Meter Set and an edit on
// I/O), so any other id is named by its dialog. Controls nothing looks up (labels, group boxes, most
// hidden leftovers) keep their number in the template.

// Every dialog's OK and Cancel, hidden: nothing closes a page by a button.
inline constexpr int kOkButtonId = 1, kCancelButtonId = 2;
// The value table of every page that has one.
inline constexpr int kPageGridId = 1008;

// The main window's connection panel, navigation tree and tab area.
namespace MainDialogIds {
inline constexpr int kSlaveIdEdit = 1002, kPortBox = 1003, kBaudList = 1004;
// Labelled "Check": none, odd or even parity.
inline constexpr int kParityList = 1006;
inline constexpr int kNavigationTree = 1001, kPageTabs = 1005;
} // namespace MainDialogIds

namespace RealtimeDataIds {
inline constexpr int kLoadButton = 1009;
inline constexpr int kSendLamp = 1145, kReceiveLamp = 1146;
} // namespace RealtimeDataIds

namespace MeterSetIds {
inline constexpr int kAddressEdit = 1002, kBaudList = 1008;
inline constexpr int kCtPrimaryEdit = 1004, kCtSecondaryEdit = 1006, kPtPrimaryEdit = 1016,
                     kPtSecondaryEdit = 1019;
// The wiring list stays hidden; the two radio buttons choose its entry.
inline constexpr int kWiringList = 1003, kFourLinesRadio = 1034, kThreeLinesRadio = 1035;
inline constexpr int kAnalogTargetList = 1011, kMagnificationEdit = 1018;
inline constexpr int kActivePulseList = 1013, kReactivePulseList = 1014, kPulseConstantEdit = 1021;
inline constexpr int kLoadButton = 1032, kSetButton = 1033;
// Hidden and disabled: the clear commands live on the pages whose records they clear.
inline constexpr int kClearEnergyButton = 1050, kClearTariffEnergyButton = 1051, kClearDemandButton = 1052,
                     kClearSoeButton = 1166;
} // namespace MeterSetIds

namespace HarmonicIds {
// One button per measuring channel: Ia, Ib, Ic, Ua, Ub, Uc.
inline constexpr int kChannelButtons[] = {1009, 1017, 1013, 1010, 1012, 1014};
} // namespace HarmonicIds

namespace CommonDataIds {
// A hidden leftover that can never be pressed.
inline constexpr int kClearMaxMinButton = 1009;
} // namespace CommonDataIds

namespace SoeIds {
// "Meter Date" shows the meter's clock in the edit.
inline constexpr int kClockEdit = 1002, kMeterDateButton = 1009;
// Labelled "Timing": sets the meter's clock to the computer's.
inline constexpr int kSetClockButton = 1010;
// Labelled "SOE" and "Clear SOE".
inline constexpr int kReadEventsButton = 1011, kClearButton = 1012;
} // namespace SoeIds

namespace IoIds {
// The alarm settings of one relay: the controls of its setting registers in register order, then its
// return time.
struct RelaySettings
{
    int modeList, targetList, upperEdit, lowerEdit, delayEdit;
    int returnEdit;
};
inline constexpr RelaySettings kRelay1Settings{1003, 1004, 1002, 1024, 1005, 1017};
inline constexpr RelaySettings kRelay2Settings{1006, 1007, 1008, 1027, 1009, 1019};
inline constexpr RelaySettings kRelay3Settings{1010, 1011, 1016, 1018, 1020, 1025};
inline constexpr RelaySettings kRelay4Settings{1012, 1013, 1021, 1022, 1023, 1026};
inline constexpr int kLoadButton = 1032, kSetButton = 1033;
// Switch a relay at once, whatever its alarm settings.
inline constexpr int kRelay1CloseButton = 1014, kRelay1OpenButton = 1015;
inline constexpr int kRelay2CloseButton = 1028, kRelay2OpenButton = 1029;
inline constexpr int kRelay3CloseButton = 1030, kRelay3OpenButton = 1031;
inline constexpr int kRelay4CloseButton = 1034, kRelay4OpenButton = 1035;
// The status lamps, each drawn on its "Sta" static control, in the order of their status bits.
inline constexpr int kRelayLamps[] = {1055, 1056, 1057, 1058};                         // R1 to R4
inline constexpr int kInputLamps[] = {1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066}; // S1 to S8
} // namespace IoIds

namespace DemandIds {
inline constexpr int kClearButton = 1011;
} // namespace DemandIds

namespace MaxMinIds {
inline constexpr int kClearButton = 1009;
} // namespace MaxMinIds

// The counter edits are laid out in another order than the meter's registers.
namespace EnergyIds {
inline constexpr int kImportActiveEdit = 1002, kExportActiveEdit = 1004, kImportReactiveEdit = 1016,
                     kExportReactiveEdit = 1005;
inline constexpr int kQuadrant1ActiveEdit = 1017, kQuadrant2ActiveEdit = 1019, kQuadrant3ActiveEdit = 1021,
                     kQuadrant4ActiveEdit = 1023;
inline constexpr int kQuadrant1ReactiveEdit = 1018, kQuadrant2ReactiveEdit = 1020,
                     kQuadrant3ReactiveEdit = 1022, kQuadrant4ReactiveEdit = 1024;
inline constexpr int kLoadButton = 1011, kClearButton = 1012;
} // namespace EnergyIds
