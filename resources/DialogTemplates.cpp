// The dialog resources of the tool: every dialog and page laid out in dialog
// units, controls in template order (which is also the tab order).
#include "resources/DialogTemplates.h"

#include "resources/ControlIds.h"

#include <QtGlobal>

#include <array>

namespace {
using K = ControlKind;

// Main window: connection panel, navigation tree and the tab area the pages live in.
constexpr std::array kMainDialog = {
    ControlTemplate{K::GroupBox, -1, "Communication", 6, 7, 94, 84},
    ControlTemplate{K::Label, -1, "ID", 12, 19, 30, 8},
    ControlTemplate{K::Edit, MainDialogIds::kSlaveIdEdit, "", 48, 17, 47, 14},
    ControlTemplate{K::Label, -1, "Port", 12, 35, 30, 8},
    ControlTemplate{K::ComboBox, MainDialogIds::kPortBox, "", 48, 33, 48, 170},
    ControlTemplate{K::Label, -1, "Baud", 12, 53, 30, 8},
    ControlTemplate{K::ComboBox, MainDialogIds::kBaudList, "", 48, 51, 48, 187},
    ControlTemplate{K::Label, -1, "Check", 12, 71, 30, 8},
    ControlTemplate{K::ComboBox, MainDialogIds::kParityList, "none\nodd\neven", 48, 69, 48, 187},
    ControlTemplate{K::Tree, MainDialogIds::kNavigationTree, "", 7, 97, 94, 312},
    ControlTemplate{K::TabControl, MainDialogIds::kPageTabs, "", 114, 7, 458, 402},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true},
    ControlTemplate{K::Label, -1, "", 0, 0, 40, 8, true},
    ControlTemplate{K::Edit, 1016, "", 0, 0, 40, 14, true},
};

// Realtime data page: the value grid, two lamps and Load. The status label is wide enough for its text on
// one line, and the row after it moves right by as much.
constexpr std::array kRealtimeDataPage = {
    ControlTemplate{K::Grid, kPageGridId, "", 30, 7, 372, 333},
    ControlTemplate{K::Label, -1, "Communication Status:", 12, 358, 80, 8},
    ControlTemplate{K::Label, -1, "Send", 99, 358, 20, 8},
    ControlTemplate{K::Lamp, RealtimeDataIds::kSendLamp, "", 123, 358, 13, 8},
    ControlTemplate{K::Label, -1, "Recieve", 167, 358, 28, 8},
    ControlTemplate{K::Lamp, RealtimeDataIds::kReceiveLamp, "", 195, 358, 25, 8},
    ControlTemplate{K::Button, RealtimeDataIds::kLoadButton, "Load", 237, 352, 50, 14},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true, true},
};

// Meter settings page: communication, transformer ratios, wiring mode, analog and pulse outputs. The wiring
// list stays hidden behind the two radio buttons; the clear buttons can never be pressed. The pulse
// target label and lists are wide enough for their longest texts.
constexpr std::array kMeterSetPage = {
    ControlTemplate{K::Label, -1, "PT Pr-Side", 201, 81, 51, 8},
    ControlTemplate{K::GroupBox, -1, "Sys mode", 11, 129, 343, 36},
    ControlTemplate{K::GroupBox, -1, "Analog", 11, 175, 343, 35},
    ControlTemplate{K::Edit, MeterSetIds::kAddressEdit, "", 74, 24, 74, 14},
    ControlTemplate{K::Label, -1, "ID", 29, 27, 35, 8},
    ControlTemplate{K::Label, -1, "CT Pr-Side", 29, 81, 44, 8},
    ControlTemplate{K::Label, -1, "Baud", 201, 27, 51, 8},
    ControlTemplate{K::Edit, MeterSetIds::kPtPrimaryEdit, "", 265, 78, 74, 14},
    ControlTemplate{K::Edit, MeterSetIds::kCtPrimaryEdit, "", 75, 78, 74, 14},
    ControlTemplate{K::Edit, MeterSetIds::kPulseConstantEdit, "", 97, 244, 74, 12},
    ControlTemplate{K::ComboBox, MeterSetIds::kBaudList, "", 263, 25, 74, 65},
    ControlTemplate{K::Label, -1, "Target", 29, 193, 40, 8},
    ControlTemplate{K::Label, -1, "Pulse constant", 29, 245, 52, 8},
    ControlTemplate{K::Label, -1, "Output target of Active power of the pulse", 29, 277, 160, 8},
    ControlTemplate{K::Label, -1, "Output target of Reactive power ", 210, 276, 131, 8},
    ControlTemplate{K::ComboBox, MeterSetIds::kAnalogTargetList, "", 75, 191, 74, 115},
    ControlTemplate{K::ComboBox, MeterSetIds::kActivePulseList, "", 51, 287, 100, 131},
    ControlTemplate{K::ComboBox, MeterSetIds::kReactivePulseList, "", 228, 288, 100, 114},
    ControlTemplate{K::GroupBox, -1, "Communications", 11, 6, 343, 45},
    ControlTemplate{K::Button, MeterSetIds::kLoadButton, "Load", 105, 311, 50, 14},
    ControlTemplate{K::Button, MeterSetIds::kSetButton, "Set", 206, 311, 50, 14},
    ControlTemplate{K::GroupBox, -1, "Pulse", 11, 229, 343, 76},
    ControlTemplate{K::Edit, MeterSetIds::kMagnificationEdit, "", 265, 190, 47, 14},
    ControlTemplate{K::Label, -1, "Output magnification", 177, 193, 81, 8},
    ControlTemplate{K::GroupBox, -1, "Transfer ", 11, 66, 343, 55},
    ControlTemplate{K::RadioButton, MeterSetIds::kFourLinesRadio, "Four lines", 103, 144, 56, 10},
    ControlTemplate{K::RadioButton, MeterSetIds::kThreeLinesRadio, "Three lines", 196, 144, 60, 10},
    ControlTemplate{K::Label, -1, "* 0.1", 319, 193, 21, 8},
    ControlTemplate{K::Label, -1, "PT Sc-Side", 201, 100, 51, 8},
    ControlTemplate{K::Label, -1, "CT Sc-Side", 29, 100, 44, 8},
    ControlTemplate{K::Edit, MeterSetIds::kPtSecondaryEdit, "", 265, 97, 74, 14},
    ControlTemplate{K::Edit, MeterSetIds::kCtSecondaryEdit, "", 75, 97, 74, 14},
    ControlTemplate{K::Label, -1, "Connection mode", 0, 0, 60, 8, true},
    ControlTemplate{K::ComboBox, MeterSetIds::kWiringList, "", 0, 0, 74, 40, true},
    ControlTemplate{K::Button, MeterSetIds::kClearEnergyButton, "清除电度", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, MeterSetIds::kClearDemandButton, "清除需量", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, MeterSetIds::kClearTariffEnergyButton, "清除复费率", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, MeterSetIds::kClearSoeButton, "清除SOE", 0, 0, 50, 14, true, true},
    ControlTemplate{K::GroupBox, -1, "模拟量设置", 0, 0, 120, 60, true},
    ControlTemplate{K::Label, -1, "模拟量2输出对象", 0, 0, 64, 8, true},
    ControlTemplate{K::ComboBox, 1012, "", 0, 0, 74, 115, true},
    ControlTemplate{K::Label, -1, "模拟通道1放大倍数", 0, 0, 72, 8, true},
    ControlTemplate{K::Edit, 1005, "", 0, 0, 47, 14, true},
    ControlTemplate{K::Label, -1, "模拟通道2放大倍数", 0, 0, 72, 8, true},
    ControlTemplate{K::Edit, 1017, "", 0, 0, 47, 14, true},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true},
};

// Harmonics page: the harmonic grid and one button per measuring channel.
constexpr std::array kHarmonicPage = {
    ControlTemplate{K::Grid, kPageGridId, "", 35, 7, 368, 326},
    ControlTemplate{K::Button, HarmonicIds::kChannelButtons[0], "Ia Harmonic", 29, 335, 50, 14},
    ControlTemplate{K::Button, HarmonicIds::kChannelButtons[1], "Ib Harmonic", 133, 335, 50, 14},
    ControlTemplate{K::Button, HarmonicIds::kChannelButtons[2], "Ic Harmonic", 230, 335, 50, 14},
    ControlTemplate{K::Button, HarmonicIds::kChannelButtons[3], "Ua Harmonic", 29, 355, 50, 14},
    ControlTemplate{K::Button, HarmonicIds::kChannelButtons[4], "Ub Harmonic", 133, 355, 50, 14},
    ControlTemplate{K::Button, HarmonicIds::kChannelButtons[5], "Uc Harmonic", 230, 355, 50, 14},
    ControlTemplate{K::Button, 1011, "B相电压谐波", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true, true},
};

// Common data page: one grid; its buttons are leftovers that can never be pressed.
constexpr std::array kCommonDataPage = {
    ControlTemplate{K::Grid, kPageGridId, "", 29, 7, 385, 340},
    ControlTemplate{K::Button, CommonDataIds::kClearMaxMinButton, "清除最值", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, 1010, "Button2", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true, true},
};

// SOE page: the event grid, the meter's clock and the clock and SOE commands.
constexpr std::array kSoePage = {
    ControlTemplate{K::Grid, kPageGridId, "", 35, 7, 363, 345},
    ControlTemplate{K::ReadOnlyEdit, SoeIds::kClockEdit, "", 35, 356, 129, 14},
    ControlTemplate{K::Button, SoeIds::kMeterDateButton, "Meter Date", 172, 356, 50, 14},
    ControlTemplate{K::Button, SoeIds::kSetClockButton, "Timing", 232, 356, 50, 14},
    ControlTemplate{K::Button, SoeIds::kReadEventsButton, "SOE", 292, 356, 50, 14},
    ControlTemplate{K::Button, SoeIds::kClearButton, "Clear SOE", 349, 356, 50, 14},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true, true},
};

// Relay and I/O page: the alarm settings of four relays, their direct switches and the twelve I/O lamps,
// each drawn on its "Sta" static control.
constexpr std::array kIoPage = {
    ControlTemplate{K::GroupBox, -1, "Relay Set", 15, 7, 268, 269},
    ControlTemplate{K::Label, -1, "Relay1", 90, 14, 44, 8},
    ControlTemplate{K::ComboBox, IoIds::kRelay1Settings.modeList, "", 76, 27, 71, 133},
    ControlTemplate{K::ComboBox, IoIds::kRelay1Settings.targetList, "", 76, 45, 71, 128},
    ControlTemplate{K::Edit, IoIds::kRelay1Settings.upperEdit, "", 76, 63, 52, 12},
    ControlTemplate{K::Edit, IoIds::kRelay1Settings.delayEdit, "", 76, 100, 52, 12},
    ControlTemplate{K::Edit, IoIds::kRelay1Settings.returnEdit, "", 76, 118, 52, 12},
    ControlTemplate{K::Label, -1, "Action mode", 25, 30, 45, 8},
    ControlTemplate{K::Label, -1, "Action Target", 22, 48, 55, 8},
    ControlTemplate{K::Label, -1, "Max", 38, 67, 23, 8},
    ControlTemplate{K::Label, -1, "Delay", 35, 104, 35, 8},
    ControlTemplate{K::Label, -1, "Return", 33, 121, 31, 8},
    ControlTemplate{K::Label, -1, "Relay2", 218, 13, 44, 8},
    ControlTemplate{K::ComboBox, IoIds::kRelay2Settings.modeList, "", 204, 25, 71, 133},
    ControlTemplate{K::ComboBox, IoIds::kRelay2Settings.targetList, "", 204, 42, 71, 128},
    ControlTemplate{K::Edit, IoIds::kRelay2Settings.upperEdit, "", 204, 61, 52, 14},
    ControlTemplate{K::Edit, IoIds::kRelay2Settings.delayEdit, "", 204, 98, 52, 14},
    ControlTemplate{K::Edit, IoIds::kRelay2Settings.returnEdit, "", 204, 116, 52, 14},
    ControlTemplate{K::Button, IoIds::kLoadButton, "Load", 113, 262, 50, 14},
    ControlTemplate{K::Button, IoIds::kSetButton, "Set", 206, 261, 50, 14},
    ControlTemplate{K::GroupBox, -1, "I/O Status", 16, 277, 267, 88},
    ControlTemplate{K::Label, -1, "R1", 33, 306, 9, 8},
    ControlTemplate{K::Lamp, IoIds::kRelayLamps[0], "Sta", 31, 291, 13, 8},
    ControlTemplate{K::Label, -1, "R2", 57, 306, 9, 8},
    ControlTemplate{K::Lamp, IoIds::kRelayLamps[1], "Sta", 56, 291, 13, 8},
    ControlTemplate{K::Label, -1, "S1", 34, 341, 9, 8},
    ControlTemplate{K::Lamp, IoIds::kInputLamps[0], "Sta", 31, 322, 13, 8},
    ControlTemplate{K::Label, -1, "S2", 57, 341, 9, 8},
    ControlTemplate{K::Lamp, IoIds::kInputLamps[1], "Sta", 55, 322, 13, 8},
    ControlTemplate{K::Label, -1, "S3", 81, 341, 9, 8},
    ControlTemplate{K::Lamp, IoIds::kInputLamps[2], "Sta", 79, 322, 13, 8},
    ControlTemplate{K::Label, -1, "S4", 109, 341, 13, 8},
    ControlTemplate{K::Lamp, IoIds::kInputLamps[3], "Sta", 108, 322, 13, 8},
    ControlTemplate{K::Label, -1, "%", 139, 70, 17, 8},
    ControlTemplate{K::Label, -1, "S", 139, 105, 8, 8},
    ControlTemplate{K::Label, -1, "S", 140, 122, 8, 8},
    ControlTemplate{K::Label, -1, "%", 268, 64, 8, 8},
    ControlTemplate{K::Label, -1, "S", 268, 99, 8, 8},
    ControlTemplate{K::Label, -1, "S", 267, 118, 8, 8},
    ControlTemplate{K::Label, -1, "Relay3", 90, 135, 45, 8},
    ControlTemplate{K::Label, -1, "Relay4", 218, 136, 42, 8},
    ControlTemplate{K::Label, -1, "Action mode", 23, 148, 45, 8},
    ControlTemplate{K::Label, -1, "Action target", 19, 169, 53, 8},
    ControlTemplate{K::Label, -1, "Max", 37, 185, 13, 8},
    ControlTemplate{K::Label, -1, "Delay", 33, 221, 21, 8},
    ControlTemplate{K::Label, -1, "Return", 32, 240, 25, 8},
    ControlTemplate{K::ComboBox, IoIds::kRelay3Settings.modeList, "", 76, 147, 71, 48},
    ControlTemplate{K::ComboBox, IoIds::kRelay3Settings.targetList, "", 76, 166, 71, 97},
    ControlTemplate{K::Edit, IoIds::kRelay3Settings.upperEdit, "", 76, 185, 52, 12},
    ControlTemplate{K::Edit, IoIds::kRelay3Settings.lowerEdit, "", 76, 203, 52, 12},
    ControlTemplate{K::Edit, IoIds::kRelay3Settings.delayEdit, "", 76, 222, 52, 12},
    ControlTemplate{K::ComboBox, IoIds::kRelay4Settings.modeList, "", 204, 147, 71, 60},
    ControlTemplate{K::ComboBox, IoIds::kRelay4Settings.targetList, "", 204, 165, 71, 113},
    ControlTemplate{K::Edit, IoIds::kRelay4Settings.upperEdit, "", 204, 183, 52, 14},
    ControlTemplate{K::Edit, IoIds::kRelay4Settings.lowerEdit, "", 204, 203, 52, 14},
    ControlTemplate{K::Edit, IoIds::kRelay4Settings.delayEdit, "", 204, 221, 52, 14},
    ControlTemplate{K::Label, -1, "%", 138, 186, 8, 8},
    ControlTemplate{K::Label, -1, "S", 140, 221, 8, 8},
    ControlTemplate{K::Label, -1, "S", 140, 241, 8, 8},
    ControlTemplate{K::Label, -1, "%", 267, 186, 8, 8},
    ControlTemplate{K::Label, -1, "S", 267, 220, 8, 8},
    ControlTemplate{K::Label, -1, "S", 267, 239, 8, 8},
    ControlTemplate{K::Edit, IoIds::kRelay1Settings.lowerEdit, "", 76, 81, 52, 14},
    ControlTemplate{K::Edit, IoIds::kRelay3Settings.returnEdit, "", 76, 240, 52, 12},
    ControlTemplate{K::Edit, IoIds::kRelay4Settings.returnEdit, "", 204, 238, 52, 14},
    ControlTemplate{K::Edit, IoIds::kRelay2Settings.lowerEdit, "", 204, 80, 52, 14},
    ControlTemplate{K::Label, -1, "Min", 38, 83, 23, 8},
    ControlTemplate{K::Label, -1, "%", 140, 85, 8, 8},
    ControlTemplate{K::Label, -1, "%", 269, 82, 8, 8},
    ControlTemplate{K::Label, -1, "Min", 37, 203, 13, 8},
    ControlTemplate{K::Label, -1, "%", 137, 204, 8, 8},
    ControlTemplate{K::Label, -1, "%", 268, 202, 8, 8},
    ControlTemplate{K::Lamp, IoIds::kInputLamps[4], "Sta", 130, 322, 13, 8},
    ControlTemplate{K::Lamp, IoIds::kInputLamps[5], "Sta", 153, 322, 13, 8},
    ControlTemplate{K::Lamp, IoIds::kInputLamps[6], "Sta", 179, 322, 13, 8},
    ControlTemplate{K::Lamp, IoIds::kInputLamps[7], "Sta", 208, 322, 13, 8},
    ControlTemplate{K::Label, -1, "S5", 132, 341, 9, 8},
    ControlTemplate{K::Label, -1, "S6", 155, 341, 9, 8},
    ControlTemplate{K::Label, -1, "S7", 181, 341, 9, 8},
    ControlTemplate{K::Label, -1, "S8", 212, 341, 9, 8},
    ControlTemplate{K::Lamp, IoIds::kRelayLamps[2], "Sta", 79, 291, 13, 8},
    ControlTemplate{K::Lamp, IoIds::kRelayLamps[3], "Sta", 108, 291, 13, 8},
    ControlTemplate{K::Label, -1, "R3", 82, 305, 9, 8},
    ControlTemplate{K::Label, -1, "R4", 110, 305, 9, 8},
    ControlTemplate{K::Label, -1, "Relay1", 300, 22, 60, 8},
    ControlTemplate{K::Label, -1, "Relay2", 300, 65, 68, 8},
    ControlTemplate{K::Label, -1, "Relay3", 300, 103, 65, 8},
    ControlTemplate{K::Label, -1, "Relay4", 300, 143, 57, 8},
    ControlTemplate{K::Button, IoIds::kRelay1CloseButton, "Close", 294, 38, 33, 14},
    ControlTemplate{K::Button, IoIds::kRelay1OpenButton, "Open", 336, 38, 33, 14},
    ControlTemplate{K::Button, IoIds::kRelay2CloseButton, "Close", 294, 81, 33, 14},
    ControlTemplate{K::Button, IoIds::kRelay2OpenButton, "Open", 336, 81, 33, 14},
    ControlTemplate{K::Button, IoIds::kRelay3CloseButton, "Close", 294, 120, 33, 14},
    ControlTemplate{K::Button, IoIds::kRelay3OpenButton, "Open", 336, 120, 33, 14},
    ControlTemplate{K::Button, IoIds::kRelay4CloseButton, "Close", 294, 161, 33, 14},
    ControlTemplate{K::Button, IoIds::kRelay4OpenButton, "Open", 336, 161, 33, 14},
    ControlTemplate{K::GroupBox, -1, "Relay Operation", 294, 7, 89, 358},
    ControlTemplate{K::ComboBox, 1085, "", 0, 0, 71, 60, true},
    ControlTemplate{K::Button, 1050, "Close", 0, 0, 33, 14, true},
    ControlTemplate{K::Button, 1051, "Open", 0, 0, 33, 14, true},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true},
};

// Demand page: the demand grid and Clear Demand.
constexpr std::array kDemandPage = {
    ControlTemplate{K::Grid, kPageGridId, "", 47, 24, 340, 297},
    ControlTemplate{K::Button, DemandIds::kClearButton, "Clear Demand", 179, 327, 65, 19},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true, true},
};

// Max/min page: the record grid and the command that clears the records.
constexpr std::array kMaxMinPage = {
    ControlTemplate{K::Grid, kPageGridId, "", 76, 45, 303, 244},
    ControlTemplate{K::Button, MaxMinIds::kClearButton, "Clear max. /min. real time data", 155, 312, 142, 15},
};

// Energy page: twelve counter edits with their labels and units, Load and Clear.
constexpr std::array kEnergyPage = {
    ControlTemplate{K::GroupBox, -1, "Energe", 41, 1, 360, 357},
    ControlTemplate{K::Button, EnergyIds::kLoadButton, "Load", 122, 265, 50, 18},
    ControlTemplate{K::Label, -1, "1st Quadrant Active Energy", 48, 99, 57, 20},
    ControlTemplate{K::Edit, EnergyIds::kImportActiveEdit, "", 107, 38, 75, 14},
    ControlTemplate{K::Label, -1, "1st Quadrant Reactive Energy", 224, 97, 66, 21},
    ControlTemplate{K::Edit, EnergyIds::kImportReactiveEdit, "", 291, 38, 75, 14},
    ControlTemplate{K::Label, -1, "2nd Quadrant Active Energy", 48, 131, 61, 18},
    ControlTemplate{K::Edit, EnergyIds::kExportActiveEdit, "", 107, 70, 75, 14},
    ControlTemplate{K::Label, -1, "2nd Quadrant Reactive Energy", 224, 128, 67, 27},
    ControlTemplate{K::Edit, EnergyIds::kExportReactiveEdit, "", 291, 67, 75, 14},
    ControlTemplate{K::Label, -1, "3rd Quadrant Active Energy", 48, 161, 57, 19},
    ControlTemplate{K::Edit, EnergyIds::kQuadrant1ActiveEdit, "", 107, 102, 75, 14},
    ControlTemplate{K::Label, -1, "3rd Quadrant Reactive Energy", 225, 158, 63, 19},
    ControlTemplate{K::Edit, EnergyIds::kQuadrant1ReactiveEdit, "", 291, 97, 75, 14},
    ControlTemplate{K::Label, -1, "4th Quadrant Active Energy", 48, 197, 60, 19},
    ControlTemplate{K::Edit, EnergyIds::kQuadrant2ActiveEdit, "", 107, 134, 75, 14},
    ControlTemplate{K::Label, -1, "4th Quadrant Reactive Energy", 224, 198, 63, 22},
    ControlTemplate{K::Edit, EnergyIds::kQuadrant2ReactiveEdit, "", 291, 131, 75, 14},
    ControlTemplate{K::Label, -1, "Import Active Energy", 48, 37, 56, 18},
    ControlTemplate{K::Edit, EnergyIds::kQuadrant3ActiveEdit, "", 107, 163, 75, 14},
    ControlTemplate{K::Label, -1, "Export Active Energy", 48, 67, 57, 21},
    ControlTemplate{K::Edit, EnergyIds::kQuadrant3ReactiveEdit, "", 292, 161, 75, 14},
    ControlTemplate{K::Label, -1, "Import Reactive Energy", 224, 37, 62, 16},
    ControlTemplate{K::Edit, EnergyIds::kQuadrant4ActiveEdit, "", 107, 198, 75, 14},
    ControlTemplate{K::Label, -1, "Export Reactive Energy", 224, 65, 64, 17},
    ControlTemplate{K::Edit, EnergyIds::kQuadrant4ReactiveEdit, "", 291, 200, 75, 14},
    ControlTemplate{K::Button, EnergyIds::kClearButton, "Clear", 258, 265, 50, 18},
    ControlTemplate{K::Label, -1, "KWH", 188, 41, 13, 8},
    ControlTemplate{K::Label, -1, "KWH", 188, 72, 13, 8},
    ControlTemplate{K::Label, -1, "KWH", 190, 102, 13, 8},
    ControlTemplate{K::Label, -1, "KWH", 191, 137, 13, 8},
    ControlTemplate{K::Label, -1, "KWH", 191, 163, 13, 8},
    ControlTemplate{K::Label, -1, "KWH", 191, 198, 13, 8},
    ControlTemplate{K::Label, -1, "KVarH", 369, 41, 21, 8},
    ControlTemplate{K::Label, -1, "KVarH", 372, 70, 21, 8},
    ControlTemplate{K::Label, -1, "KVarH", 372, 97, 21, 8},
    ControlTemplate{K::Label, -1, "KVarH", 372, 133, 21, 8},
    ControlTemplate{K::Label, -1, "KVarH", 373, 163, 21, 8},
    ControlTemplate{K::Label, -1, "KVarH", 372, 200, 21, 8},
    ControlTemplate{K::Button, 1009, "读", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, 1010, "写", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kOkButtonId, "OK", 0, 0, 50, 14, true, true},
    ControlTemplate{K::Button, kCancelButtonId, "Cancel", 0, 0, 50, 14, true, true},
};

constexpr std::array kTemplates = {
    DialogTemplate{102, "VEMO400", "SimSun", 9, 579, 416, kMainDialog},
    DialogTemplate{104, "", "MS Sans Serif", 8, 460, 374, kRealtimeDataPage},
    DialogTemplate{105, "", "MS Sans Serif", 8, 463, 370, kMeterSetPage},
    DialogTemplate{106, "", "MS Sans Serif", 8, 476, 375, kHarmonicPage},
    DialogTemplate{108, "", "MS Sans Serif", 8, 457, 373, kCommonDataPage},
    DialogTemplate{109, "", "MS Sans Serif", 8, 457, 372, kSoePage},
    DialogTemplate{130, "", "MS Sans Serif", 8, 460, 372, kIoPage},
    DialogTemplate{110, "", "MS Sans Serif", 8, 470, 369, kDemandPage},
    DialogTemplate{138, "", "宋体", 9, 461, 371, kMaxMinPage},
    DialogTemplate{133, "", "MS Sans Serif", 8, 459, 371, kEnergyPage},
};
} // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate& t : kTemplates)
        if (t.id == id)
            return &t;
    return nullptr;
}

const DialogTemplate& DialogTemplateOf(int id)
{
    const DialogTemplate* found = FindDialogTemplate(id);
    if (!found)
        qFatal("dialog template %d is missing", id);
    return *found;
}
