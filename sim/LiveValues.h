#pragma once

#include "sim/Installation.h"

class CRegisterBank;

// The per-phase and total powers of one moment in register units (0.1 W,
// var, VA), kept for the records that integrate or track them.
struct PowerTotals
{
    int32_t p = 0;
    int32_t q = 0;
    int32_t s = 0;
};

// Turns the state of the meter's inputs into the live registers (the common
// data block, the realtime block and the harmonic table) in the meter's units.
// Totals are the sums of the phase registers, so they agree to the unit.
PowerTotals WriteLiveValues(const ElectricalState& state, CRegisterBank& bank);
