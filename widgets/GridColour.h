#pragma once

#include <QColor>
#include <cstdint>

// Colours cross the grid's interface as 32-bit 0x00BBGGRR values, the form the
// pages were written against, under the names they were written with. The names
// are Windows' own, so they live in a namespace of ours: a file that includes
// <windows.h> first, where RGB is a macro and COLORREF a type, still compiles.
#pragma push_macro("RGB")
#undef RGB
namespace Gdi {
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int red, int green, int blue)
{
    return COLORREF(red & 0xFF) | (COLORREF(green & 0xFF) << 8) | (COLORREF(blue & 0xFF) << 16);
}
} // namespace Gdi
#pragma pop_macro("RGB")

// A cell colour holding this marker takes the colour of its default cell.
inline constexpr Gdi::COLORREF kDefaultColour = 0xFF000000;

inline QColor ColourFromRef(Gdi::COLORREF colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline Gdi::COLORREF RefFromColour(const QColor& colour)
{
    return Gdi::COLORREF(colour.red() & 0xFF) | (Gdi::COLORREF(colour.green() & 0xFF) << 8) |
           (Gdi::COLORREF(colour.blue() & 0xFF) << 16);
}
