#pragma once

#include "comm/ModbusRtu.h"

#include <QString>
#include <cstdint>
#include <span>

// One line of a live-value table: where it sits in the grid, what it is called
// and how its value is built from the registers of the last read.
struct MeasurementItem
{
    enum Kind
    {
        U16,
        S16,
        S32,
        U32
    };
    // Which transformer ratios scale the value: voltages by PT, currents by CT, powers by both.
    enum Ratio
    {
        None,
        Pt,
        Ct,
        PtCt
    };

    int row;
    int column; // the value's column; the name sits left of it, the unit right of it
    const char* name;
    const char* unit; // nullptr when the item has no unit
    int entry;        // RegisterBlock entry of the register (the low word for 32-bit values)
    Kind kind;
    Ratio ratio;
    int divisor;
    const char* format; // printf-style; "%d" shows the register value as it is
    // The demands divide before they scale; the order shows in the last digits of very large values.
    bool divideFirst = false;
};

// The item's value from RegisterBlock and the current ratios, formatted.
QString FormatMeasurement(const MeasurementItem& item);
// The same value as a number, unrounded: what a trend of the item draws.
double MeasurementValue(const MeasurementItem& item);

// The item's value, unrounded, from registers kept apart from RegisterBlock
// (entry k holding what RegisterBlock's entry k held after the read).
double MeasurementValue(const MeasurementItem& item, std::span<const int32_t> registers,
                        TransformerRatios ratios);
