#pragma once

#include "diagnosis/Finding.h"
#include "diagnosis/Measurements.h"
#include "diagnosis/SupplyChecks.h"

#include <vector>

// The checks of the current transformers: their polarity, whether each sits on its
// own phase, and their range. The phase angles come from atan2(Q, P) per phase, not
// from the power factor, which distortion lowers and whose sign conventions differ.
namespace Diagnosis {

// ct-polarity, ct-phase, ct-range. A voltage input found reversed turns its phase's angle by
// 180 degrees, so that its CT is judged on its own.
void CheckCurrentTransformers(const Measurements& m, const Declarations& declared,
                              const PhasesPresent& present, const VoltageInputs& voltageInputs,
                              std::vector<Finding>& findings);

// The phasors of the reading as the diagram draws them.
PhasorView PhasorsOf(const Measurements& m);

} // namespace Diagnosis
