#pragma once

#include "diagnosis/CheckInput.h"
#include "meter/PageReads.h"

#include <QString>
#include <functional>

// Reads what the wiring check weighs: block A, the realtime block and the whole
// harmonic table, one request at a time through the read given (the window's with
// the pages' retries, or the console program's with its own and its --timeout).
using RequestRead = std::function<bool(const PageReads::Request& request)>;

// False at the first request that fails; what says which part it was.
bool ReadCheckInput(const RequestRead& read, CheckInput& input, QString& what);
