#pragma once

#include <QColor>
#include <cstdint>

namespace zoZezo {

// A colour as form files store it: an RGB value with red in the lowest byte, then green, then
// blue, and a zero top byte; or, with the top bit set, a system colour given by its index in
// the low bits.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clGrayText = 0x80000011;

// The colour Qt paints for Color: an RGB value as it is, a system colour from the
// application's palette (clBtnFace the button colour, clGrayText the disabled text colour,
// any other system colour the window text colour).
QColor ToQColor(TColor Color);

// The RGB TColor of Color; its alpha is dropped.
TColor FromQColor(const QColor& Color);

} // namespace zoZezo
