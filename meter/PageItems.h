#pragma once

#include "meter/MeasurementTable.h"

#include <iterator>

// What the measurement pages show, as data: the items of the block each page
// reads (PageReads), with their places in the page's grid, names, units and formats.
// The pages lay them out; the command-line tool prints the same texts.
namespace PageItems {

using M = MeasurementItem;

// Realtime data, two halves: values in columns 2 and 6.
inline constexpr MeasurementItem kRealtime[] = {
    {1, 2, "Ua", "V", 0, M::U16, M::Pt, 100, "%.3f"},
    {2, 2, "Ub", "V", 1, M::U16, M::Pt, 100, "%.3f"},
    {3, 2, "Uc", "V", 2, M::U16, M::Pt, 100, "%.3f"},
    {4, 2, "Unbalance rate of Phase voltage", "%", 3, M::U16, M::None, 10, "%.1f "},
    {5, 2, "Average Phase voltage", "V", 4, M::U16, M::Pt, 100, "%.3f"},
    {6, 2, "Uab", "V", 5, M::U16, M::Pt, 100, "%.3f"},
    {7, 2, "Ubc", "V", 6, M::U16, M::Pt, 100, "%.3f"},
    {8, 2, "Uca", "V", 7, M::U16, M::Pt, 100, "%.3f"},
    {9, 2, "Unbalance rate of Line voltage", "%", 8, M::U16, M::None, 10, "%.1f"},
    {10, 2, "Average Line voltage", "V", 9, M::U16, M::Pt, 100, "%.3f"},
    {11, 2, "Zero sequence voltage", "V", 10, M::U16, M::Pt, 100, "%.3f"},
    {12, 2, "Ia", "A", 11, M::U16, M::Ct, 1000, "%.3f"},
    {13, 2, "Ib", "A", 12, M::U16, M::Ct, 1000, "%.3f"},
    {14, 2, "Ic", "A", 13, M::U16, M::Ct, 1000, "%.3f"},
    {15, 2, "Unbalance rate of Current", "%", 14, M::U16, M::None, 10, "%.1f"},
    {16, 2, "Average Current", "A", 15, M::U16, M::Ct, 1000, "%.3f"},
    {17, 2, "Zero sequence current", "A", 16, M::U16, M::Ct, 1000, "%.3f"},
    {18, 2, "Pa", "W", 17, M::S16, M::PtCt, 10, "%.3f"},
    {19, 2, "Pb", "W", 18, M::S16, M::PtCt, 10, "%.3f"},
    {20, 2, "Pc", "W", 19, M::S16, M::PtCt, 10, "%.2f"},
    {21, 2, "P", "W", 20, M::S32, M::PtCt, 10, "%.2f"},
    {22, 2, "Qa", "Var", 22, M::S16, M::PtCt, 10, "%.2f"},
    {23, 2, "Qb", "Var", 23, M::S16, M::PtCt, 10, "%.2f"},
    {24, 2, "Qc", "Var", 24, M::S16, M::PtCt, 10, "%.2f"},
    {25, 2, "Q", "Var", 25, M::S32, M::PtCt, 10, "%.2f"},
    {1, 6, "Sa", "VA", 27, M::U16, M::PtCt, 10, "%.2f"},
    {2, 6, "Sb", "VA", 28, M::U16, M::PtCt, 10, "%.2f"},
    {3, 6, "Sc", "VA", 29, M::U16, M::PtCt, 10, "%.2f"},
    {4, 6, "S", "VA", 30, M::S32, M::PtCt, 10, "%.2f"},
    {5, 6, "PFa", nullptr, 32, M::S16, M::None, 1000, "%.3f"},
    {6, 6, "PFb", nullptr, 33, M::S16, M::None, 1000, "%.3f"},
    {7, 6, "PFc", nullptr, 34, M::S16, M::None, 1000, "%.3f"},
    {8, 6, "PF", nullptr, 35, M::S16, M::None, 1000, "%.3f"},
    {9, 6, "F", "Hz", 36, M::S16, M::None, 100, "%.2f"},
    {10, 6, "Signal Status", nullptr, 37, M::U16, M::None, 1, "%d"},
    {11, 6, "Relay Status", nullptr, 38, M::U16, M::None, 1, "%d"},
};

// The realtime items by what they are: each is its index in kRealtime.
namespace Realtime {
enum Item
{
    Ua,
    Ub,
    Uc,
    PhaseVoltageUnbalance,
    PhaseVoltageAverage,
    Uab,
    Ubc,
    Uca,
    LineVoltageUnbalance,
    LineVoltageAverage,
    ZeroSequenceVoltage,
    Ia,
    Ib,
    Ic,
    CurrentUnbalance,
    CurrentAverage,
    ZeroSequenceCurrent,
    Pa,
    Pb,
    Pc,
    P,
    Qa,
    Qb,
    Qc,
    Q,
    Sa,
    Sb,
    Sc,
    S,
    PFa,
    PFb,
    PFc,
    PF,
    F,
    SignalStatus,
    RelayStatus,
    Count
};
} // namespace Realtime
static_assert(std::size(kRealtime) == Realtime::Count);

// Common data, two halves: values in columns 2 and 6.
inline constexpr MeasurementItem kCommon[] = {
    {1, 2, "Ua", "V", 0, M::U16, M::Pt, 100, "%.3f"},
    {2, 2, "Ub", "V", 1, M::U16, M::Pt, 100, "%.3f"},
    {3, 2, "Uc", "V", 2, M::U16, M::Pt, 100, "%.3f"},
    {4, 2, "Uab", "V", 3, M::U16, M::Pt, 100, "%.3f"},
    {5, 2, "Ubc", "V", 4, M::U16, M::Pt, 100, "%.3f"},
    {6, 2, "Uca", "V", 5, M::U16, M::Pt, 100, "%.3f"},
    {7, 2, "Ia", "A", 6, M::U16, M::Ct, 1000, "%.3f"},
    {8, 2, "Ib", "A", 7, M::U16, M::Ct, 1000, "%.3f"},
    {9, 2, "Ic", "A", 8, M::U16, M::Ct, 1000, "%.3f"},
    {10, 2, "Zero sequence current", "A", 9, M::U16, M::Ct, 1000, "%.3f"},
    {11, 2, "P", "W", 10, M::S32, M::PtCt, 10, "%.2f"},
    {12, 2, "Q", "Var", 12, M::S32, M::PtCt, 10, "%.2f"},
    {13, 2, "S", "VA", 14, M::S32, M::PtCt, 10, "%.2f"},
    {14, 2, "PF", " ", 16, M::S16, M::None, 1000, "%.2f"},
    {15, 2, "F", "Hz", 17, M::S16, M::None, 100, "%.2f"},
    {16, 2, "Import Active Power", "KWh", 18, M::U32, M::None, 10, "%.2f"},
    {17, 2, "Import Reactive Power", "KVarh", 20, M::U32, M::None, 10, "%.2f"},
    {18, 2, "Eport Active Power", "KWh", 22, M::U32, M::None, 10, "%.2f"},
    {19, 2, "Export Reactive Power", "KVarh", 24, M::U32, M::None, 10, "%.2f"},
    {20, 2, "Signal Status", nullptr, 26, M::U16, M::None, 1, "%d"},
    {21, 2, "Relay Status", nullptr, 27, M::U16, M::None, 1, "%d"},
    {1, 6, "Ua/Uab - THD", "%", 28, M::U16, M::None, 10, "%.3f"},
    {2, 6, "Ub/Ubc - THD", "%", 29, M::U16, M::None, 10, "%.3f"},
    {3, 6, "Uc/Uca - THD", "%", 30, M::U16, M::None, 10, "%.3f"},
    {4, 6, "Ia - THD", "%", 31, M::U16, M::None, 10, "%.3f"},
    {5, 6, "Ib - THD", "%", 32, M::U16, M::None, 10, "%.3f"},
    {6, 6, "Ic - THD", "%", 33, M::U16, M::None, 10, "%.3f"},
    {7, 6, "Ia - K", nullptr, 34, M::U16, M::None, 1, "%d"},
    {8, 6, "Ib - K", nullptr, 35, M::U16, M::None, 1, "%d"},
    {9, 6, "Ic - K", nullptr, 36, M::U16, M::None, 1, "%d"},
    {10, 6, "Average Current Demand", "A", 37, M::U16, M::Ct, 1000, "%.3f", true},
    {11, 6, "Active Power Demand", "W", 38, M::S32, M::PtCt, 10, "%.1f", true},
    {12, 6, "Reactive Power Demand", "Var", 40, M::S32, M::PtCt, 10, "%.1f", true},
    {13, 6, "Apparent Power Demand", "VA", 42, M::S32, M::PtCt, 10, "%.1f", true},
    {14, 6, "SOE Num", nullptr, 44, M::U16, M::None, 1, "%d"},
};

// Demands, then the maximum demands with their time stamps. Currents in mA on
// the CT secondary, powers in tenths of a watt on the secondaries.
inline constexpr const char* kDemandPresentTitle = "Realtime Data";
inline constexpr const char* kDemandMaximumTitle = "Max record";
inline constexpr int kDemandMaximumTitleRow = 6;
inline constexpr MeasurementItem kDemand[] = {
    {2, 2, "Average Current", "A", 0, M::U16, M::Ct, 1000, "%.3f"},
    {3, 2, "P", "W", 1, M::S32, M::PtCt, 10, "%.1f"},
    {4, 2, "Q", "var", 3, M::S32, M::PtCt, 10, "%.1f"},
    {5, 2, "S", "VA", 5, M::S32, M::PtCt, 10, "%.1f"},
    {7, 2, "Average Current", "A", 7, M::U16, M::Ct, 1000, "%.3f"},
    {8, 2, "P", "W", 11, M::S32, M::PtCt, 10, "%.1f"},
    {9, 2, "Q", "var", 16, M::S32, M::PtCt, 10, "%.1f"},
    {10, 2, "S", "VA", 21, M::S32, M::PtCt, 10, "%.1f"},
};

// The demand items by what they are: each is its index in kDemand.
namespace Demand {
enum Item
{
    Current,
    P,
    Q,
    S,
    MaxCurrent,
    MaxP,
    MaxQ,
    MaxS,
    Count
};
} // namespace Demand
static_assert(std::size(kDemand) == Demand::Count);

// A maximum demand's time stamp: its row, and the entry of the first of its three registers.
struct TimeStampCell
{
    int row;
    int entry;
};
inline constexpr TimeStampCell kDemandTimeStamps[] = {{7, 8}, {8, 13}, {9, 18}, {10, 23}};

// Maxima in column 2 from entry 0, minima in column 3 from entry 15, in the
// same order. Currents in mA on the CT secondary, powers in tenths of a watt
// on the secondaries (shown in kW), THD in thousandths.
inline constexpr const char* kMaximumTitle = "Maximum Data";
inline constexpr const char* kMinimumTitle = "Minimum Data";
inline constexpr int kMaximumColumn = 2;
inline constexpr MeasurementItem kMaxMin[] = {
    {1, 2, "Ia", "A", 0, M::U16, M::Ct, 1000, "%.3f"},
    {2, 2, "Ib", "A", 1, M::U16, M::Ct, 1000, "%.3f"},
    {3, 2, "Ic", "A", 2, M::U16, M::Ct, 1000, "%.3f"},
    {4, 2, "P", "kW", 3, M::S32, M::PtCt, 10000, "%.3f"},
    {5, 2, "Q", "kVar", 5, M::S32, M::PtCt, 10000, "%.3f"},
    {6, 2, "S", "kVA", 7, M::S32, M::PtCt, 10000, "%.3f"},
    {7, 2, "Ia-THD", nullptr, 9, M::U16, M::None, 1000, "%.3f"},
    {8, 2, "Ib-THD", nullptr, 10, M::U16, M::None, 1000, "%.3f"},
    {9, 2, "Ic-THD", nullptr, 11, M::U16, M::None, 1000, "%.3f"},
    {10, 2, "Ua-THD", nullptr, 12, M::U16, M::None, 1000, "%.3f"},
    {11, 2, "Ub-THD", nullptr, 13, M::U16, M::None, 1000, "%.3f"},
    {12, 2, "Uc-THD", nullptr, 14, M::U16, M::None, 1000, "%.3f"},
    {1, 3, "Ia", "A", 15, M::U16, M::Ct, 1000, "%.3f"},
    {2, 3, "Ib", "A", 16, M::U16, M::Ct, 1000, "%.3f"},
    {3, 3, "Ic", "A", 17, M::U16, M::Ct, 1000, "%.3f"},
    {4, 3, "P", "kW", 18, M::S32, M::PtCt, 10000, "%.3f"},
    {5, 3, "Q", "kVar", 20, M::S32, M::PtCt, 10000, "%.3f"},
    {6, 3, "S", "kVA", 22, M::S32, M::PtCt, 10000, "%.3f"},
    {7, 3, "Ia-THD", nullptr, 24, M::U16, M::None, 1000, "%.3f"},
    {8, 3, "Ib-THD", nullptr, 25, M::U16, M::None, 1000, "%.3f"},
    {9, 3, "Ic-THD", nullptr, 26, M::U16, M::None, 1000, "%.3f"},
    {10, 3, "Ua-THD", nullptr, 27, M::U16, M::None, 1000, "%.3f"},
    {11, 3, "Ub-THD", nullptr, 28, M::U16, M::None, 1000, "%.3f"},
    {12, 3, "Uc-THD", nullptr, 29, M::U16, M::None, 1000, "%.3f"},
};

// The max/min items by what they are: the maxima at these indices in kMaxMin, the
// minima after them in the same order.
namespace MaxMin {
enum Item
{
    Ia,
    Ib,
    Ic,
    P,
    Q,
    S,
    IaThd,
    IbThd,
    IcThd,
    UaThd,
    UbThd,
    UcThd,
    Count
};
} // namespace MaxMin
static_assert(std::size(kMaxMin) == 2 * MaxMin::Count);
inline constexpr const MeasurementItem& Maximum(MaxMin::Item item)
{
    return kMaxMin[item];
}
inline constexpr const MeasurementItem& Minimum(MaxMin::Item item)
{
    return kMaxMin[MaxMin::Count + item];
}

// The twelve energy counters in register order, 32 bits each in tenths of
// kWh or kvarh; the page shows them in edits, not in its grid.
inline constexpr MeasurementItem kEnergy[] = {
    {0, 0, "Import Active Energy", "KWH", 0, M::U32, M::None, 10, "%.1f"},
    {0, 0, "Import Reactive Energy", "KVarH", 2, M::U32, M::None, 10, "%.1f"},
    {0, 0, "Export Active Energy", "KWH", 4, M::U32, M::None, 10, "%.1f"},
    {0, 0, "Export Reactive Energy", "KVarH", 6, M::U32, M::None, 10, "%.1f"},
    {0, 0, "1st Quadrant Active Energy", "KWH", 8, M::U32, M::None, 10, "%.1f"},
    {0, 0, "2nd Quadrant Active Energy", "KWH", 10, M::U32, M::None, 10, "%.1f"},
    {0, 0, "3rd Quadrant Active Energy", "KWH", 12, M::U32, M::None, 10, "%.1f"},
    {0, 0, "4th Quadrant Active Energy", "KWH", 14, M::U32, M::None, 10, "%.1f"},
    {0, 0, "1st Quadrant Reactive Energy", "KVarH", 16, M::U32, M::None, 10, "%.1f"},
    {0, 0, "2nd Quadrant Reactive Energy", "KVarH", 18, M::U32, M::None, 10, "%.1f"},
    {0, 0, "3rd Quadrant Reactive Energy", "KVarH", 20, M::U32, M::None, 10, "%.1f"},
    {0, 0, "4th Quadrant Reactive Energy", "KVarH", 22, M::U32, M::None, 10, "%.1f"},
};

// The energy counters by what they are: each is its index in kEnergy.
namespace Energy {
enum Item
{
    ImportActive,
    ImportReactive,
    ExportActive,
    ExportReactive,
    Quadrant1Active,
    Quadrant2Active,
    Quadrant3Active,
    Quadrant4Active,
    Quadrant1Reactive,
    Quadrant2Reactive,
    Quadrant3Reactive,
    Quadrant4Reactive,
    Count
};
} // namespace Energy
static_assert(std::size(kEnergy) == Energy::Count);

} // namespace PageItems
