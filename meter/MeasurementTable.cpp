#include "meter/MeasurementTable.h"

#include "comm/ModbusRtu.h"
#include "meter/PrintfText.h"

#include <string_view>

namespace {
uint16_t Word(std::span<const int32_t> registers, int k)
{
    return static_cast<uint16_t>(registers[static_cast<std::size_t>(k)] & 0xFFFF);
}

uint32_t DoubleWord(std::span<const int32_t> registers, int k)
{
    return Word(registers, k) + 65536u * Word(registers, k + 1);
}

double RawValue(const MeasurementItem& item, std::span<const int32_t> registers)
{
    switch (item.kind) {
    case MeasurementItem::U16:
        return Word(registers, item.entry);
    case MeasurementItem::S16:
        return static_cast<int16_t>(Word(registers, item.entry));
    case MeasurementItem::S32:
        return static_cast<int32_t>(DoubleWord(registers, item.entry));
    case MeasurementItem::U32:
        return DoubleWord(registers, item.entry);
    }
    return 0;
}

// PT before CT, one multiplication at a time: the grouping shows in the last digits of very large powers.
double ApplyRatios(double value, MeasurementItem::Ratio ratio, TransformerRatios ratios)
{
    if (ratio == MeasurementItem::Pt || ratio == MeasurementItem::PtCt)
        value *= ratios.pt;
    if (ratio == MeasurementItem::Ct || ratio == MeasurementItem::PtCt)
        value *= ratios.ct;
    return value;
}

double ScaledValue(const MeasurementItem& item, std::span<const int32_t> registers, TransformerRatios ratios)
{
    const double raw = RawValue(item, registers);
    if (item.divideFirst)
        return ApplyRatios(raw / item.divisor, item.ratio, ratios);
    return ApplyRatios(raw, item.ratio, ratios) / item.divisor;
}

bool ShownRaw(const MeasurementItem& item)
{
    return std::string_view(item.format) == "%d";
}

std::span<const int32_t> LastRead()
{
    return RegisterBlock;
}
} // namespace

QString FormatMeasurement(const MeasurementItem& item)
{
    if (ShownRaw(item))
        return QString::asprintf("%d", static_cast<int>(RawValue(item, LastRead())));
    return PrintfText(item.format, ScaledValue(item, LastRead(), {CtRatio, PtRatio}));
}

double MeasurementValue(const MeasurementItem& item)
{
    return MeasurementValue(item, LastRead(), {CtRatio, PtRatio});
}

double MeasurementValue(const MeasurementItem& item, std::span<const int32_t> registers,
                        TransformerRatios ratios)
{
    return ShownRaw(item) ? RawValue(item, registers) : ScaledValue(item, registers, ratios);
}
