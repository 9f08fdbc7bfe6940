#pragma once

#include "comm/Transaction.h"
#include "meter/PageReads.h"

#include <cstdint>

// The requests of PageReads sent through the transaction helper.
namespace PageReads {
// Function code 3; true when the read-reply check passes.
bool Read(const Request& request);
// Function code 16 with RegisterBlock[0..count) as the values.
Modbus::WriteResult Write(const Request& request);
} // namespace PageReads

// Reads a table of registers in blocks, each block sent up to three times.
// Returns false at the third failure of one block; the blocks read before it
// are already in values.
bool ReadInBlocks(const PageReads::BlockTable& table, int32_t* values);
