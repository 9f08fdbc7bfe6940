#pragma once

#include <QString>
#include <cstdio>

// One number formatted by the C library's printf rules. QString::asprintf
// drops the minus of a negative zero, but the value tables show it ("-0.00"
// for a negative power while the ratios are still 0).
inline QString PrintfText(const char* format, double value)
{
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}
