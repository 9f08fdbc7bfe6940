#pragma once

#include <cstdint>

// Reads a table of registers in blocks, each block sent up to three times.
// Returns false at the third failure of one block; the blocks read before it
// are already in table.
bool ReadInBlocks(int start, int blockCount, int blockSize, int waitMs, int readLength, int32_t* table);
