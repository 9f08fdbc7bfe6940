#include "reading/CheckRead.h"

#include "comm/ModbusRtu.h"

#include <algorithm>
#include <span>

namespace {
bool ReadInto(const RequestRead& read, const PageReads::Request& request, std::span<int32_t> values)
{
    if (!read(request))
        return false;
    std::copy_n(RegisterBlock, values.size(), values.begin());
    return true;
}
} // namespace

bool ReadCheckInput(const RequestRead& read, CheckInput& input, QString& what)
{
    what = QStringLiteral("the transformer ratios and wiring");
    if (!ReadInto(read, PageReads::BlockA::kBlock.Load(), input.blockA))
        return false;
    what = QStringLiteral("the realtime values");
    if (!ReadInto(read, PageReads::kRealtime, input.realtime))
        return false;
    what = QStringLiteral("the harmonic table");
    const PageReads::BlockTable& table = PageReads::kHarmonicsInFew;
    for (int block = 0; block < table.blockCount; ++block)
        if (!ReadInto(read, table.Block(block),
                      std::span(input.harmonics)
                          .subspan(static_cast<std::size_t>(block * table.blockSize),
                                   static_cast<std::size_t>(table.blockSize))))
            return false;
    what.clear();
    return true;
}
