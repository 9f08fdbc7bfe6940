#pragma once

#include <QString>
#include <cmath>

// How the check writes its numbers in evidence: one decimal for volts, amperes and
// degrees, two for hertz, the unit after a space.
namespace Diagnosis {

inline QString Fixed(double value, int decimals)
{
    // No "-0.0": a value that rounds to zero is written as zero.
    const double rounded = std::round(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    return QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', decimals);
}

inline QString Volts(double value)
{
    return Fixed(value, 1) + QStringLiteral(" V");
}

inline QString Amperes(double value)
{
    return Fixed(value, 2) + QStringLiteral(" A");
}

inline QString Degrees(double value)
{
    return Fixed(value, 1) + QStringLiteral("°");
}

inline QString Percent(double value)
{
    return Fixed(value, 1) + QStringLiteral(" %");
}

inline QString Hertz(double value)
{
    return Fixed(value, 2) + QStringLiteral(" Hz");
}

} // namespace Diagnosis
