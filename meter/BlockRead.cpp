#include "meter/BlockRead.h"

#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"

#include <algorithm>

namespace {
bool ReadBlockWithRetries(int start, int count, int waitMs, int readLength)
{
    for (int attempt = 0; attempt < 3; ++attempt)
        if (Modbus::ReadRegisters(start, count, waitMs, readLength))
            return true;
    return false;
}
} // namespace

bool ReadInBlocks(int start, int blockCount, int blockSize, int waitMs, int readLength, int32_t* table)
{
    for (int block = 0; block < blockCount; ++block) {
        if (!ReadBlockWithRetries(start + block * blockSize, blockSize, waitMs, readLength))
            return false;
        std::copy(RegisterBlock, RegisterBlock + blockSize, table + block * blockSize);
    }
    return true;
}
