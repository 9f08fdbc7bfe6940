#include "meter/HarmonicTable.h"

#include "meter/PrintfText.h"

namespace HarmonicTable {
namespace {
const char* OrdinalSuffix(int order)
{
    if (order % 10 == 1 && order != 11)
        return "st";
    if (order % 10 == 2 && order != 12)
        return "nd";
    if (order % 10 == 3 && order != 13)
        return "rd";
    return "th";
}

QString Tenths(int raw)
{
    return PrintfText("%.1f", raw / 10.0);
}
} // namespace

QString ThdName(const Channel& channel)
{
    return QString::fromLatin1(channel.name) + QStringLiteral("-THD");
}

QString OrderName(const Channel& channel, int order)
{
    return QString::fromLatin1(channel.name) +
           QString::asprintf(" %d%s Harmonic", order, OrdinalSuffix(order));
}

QString KFactorName(const Channel& channel)
{
    return QString::fromLatin1(channel.name) + QStringLiteral("-K");
}

QString ThdText(const Channel& channel, std::span<const int32_t, kSize> table)
{
    return Tenths(table[static_cast<std::size_t>(channel.thdIndex)]);
}

QString OrderText(const Channel& channel, int order, std::span<const int32_t, kSize> table)
{
    return Tenths(table[static_cast<std::size_t>(6 * order + channel.orderOffset)]);
}

QString KFactorText(const Channel& channel, std::span<const int32_t, kSize> table)
{
    return QString::asprintf("%d", table[static_cast<std::size_t>(channel.kFactorIndex)]);
}

} // namespace HarmonicTable
