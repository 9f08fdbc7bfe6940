#include "meter/MeasurementTable.h"

#include "comm/ModbusRtu.h"
#include "meter/PrintfText.h"
#include "meter/RegisterValues.h"

#include <string_view>

namespace {
double RawValue(const MeasurementItem& item)
{
    switch (item.kind) {
    case MeasurementItem::U16:
        return Registers::U16(item.entry);
    case MeasurementItem::S16:
        return Registers::S16(item.entry);
    case MeasurementItem::S32:
        return Registers::S32(item.entry);
    case MeasurementItem::U32:
        return Registers::U32(item.entry);
    }
    return 0;
}

// PT before CT, one multiplication at a time: the grouping shows in the last digits of very large powers.
double ApplyRatios(double value, MeasurementItem::Ratio ratio)
{
    if (ratio == MeasurementItem::Pt || ratio == MeasurementItem::PtCt)
        value *= PtRatio;
    if (ratio == MeasurementItem::Ct || ratio == MeasurementItem::PtCt)
        value *= CtRatio;
    return value;
}

double ScaledValue(const MeasurementItem& item)
{
    const double raw = RawValue(item);
    if (item.divideFirst)
        return ApplyRatios(raw / item.divisor, item.ratio);
    return ApplyRatios(raw, item.ratio) / item.divisor;
}

bool ShownRaw(const MeasurementItem& item)
{
    return std::string_view(item.format) == "%d";
}
} // namespace

QString FormatMeasurement(const MeasurementItem& item)
{
    if (ShownRaw(item))
        return QString::asprintf("%d", static_cast<int>(RawValue(item)));
    return PrintfText(item.format, ScaledValue(item));
}

double MeasurementValue(const MeasurementItem& item)
{
    return ShownRaw(item) ? RawValue(item) : ScaledValue(item);
}
