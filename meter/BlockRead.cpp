#include "meter/BlockRead.h"

#include "comm/ModbusRtu.h"

#include <algorithm>

namespace PageReads {
bool Read(const Request& request)
{
    return Modbus::ReadRegisters(request.first, request.count, request.waitMs, request.readLength);
}

Modbus::WriteResult Write(const Request& request)
{
    return Modbus::WriteRegisters(request.first, request.count, request.waitMs, request.readLength);
}
} // namespace PageReads

namespace {
bool ReadBlockWithRetries(const PageReads::Request& block)
{
    for (int attempt = 0; attempt < 3; ++attempt)
        if (PageReads::Read(block))
            return true;
    return false;
}
} // namespace

bool ReadInBlocks(const PageReads::BlockTable& table, int32_t* values)
{
    for (int block = 0; block < table.blockCount; ++block) {
        if (!ReadBlockWithRetries(table.Block(block)))
            return false;
        std::copy(RegisterBlock, RegisterBlock + table.blockSize, values + block * table.blockSize);
    }
    return true;
}
