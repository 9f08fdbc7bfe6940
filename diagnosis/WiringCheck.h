#pragma once

#include "diagnosis/CheckInput.h"
#include "diagnosis/Finding.h"

// Is this meter connected and set up right? The findings of every check on one
// reading, in a fixed order, ok ones included. Pure: no line, no widgets.
namespace Diagnosis {

CheckResult Check(const CheckInput& input, const Declarations& declared);

} // namespace Diagnosis
