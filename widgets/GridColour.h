#pragma once

#include <QColor>
#include <cstdint>

// Colours cross the grid's interface as 32-bit 0x00BBGGRR values, the form the
// pages were written against.
using COLORREF = std::uint32_t;

// A cell colour holding this marker takes the colour of its default cell.
inline constexpr COLORREF kDefaultColour = 0xFF000000;

constexpr COLORREF RGB(int red, int green, int blue)
{
    return COLORREF(red & 0xFF) | (COLORREF(green & 0xFF) << 8) | (COLORREF(blue & 0xFF) << 16);
}

inline QColor ColourFromRef(COLORREF colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline COLORREF RefFromColour(const QColor& colour)
{
    return RGB(colour.red(), colour.green(), colour.blue());
}
