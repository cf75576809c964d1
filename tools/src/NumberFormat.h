#pragma once

#include <string>
#include <zoZezo/Complex.h>

namespace zezo {

// Enough significant digits to read an 80-bit long double back unchanged.
inline constexpr int ExactDigits = 21;

// X with Digits significant digits in general notation, as printf's %.*Lg writes it; any NaN
// as "NaN".
std::string FormatReal(long double X, int Digits);

// A real value as FormatReal writes it; a complex one as re+imj or re-imj, with Imaginary as
// the suffix. An imaginary part of 0 or -0 makes the value real; a NaN in either part makes it
// "NaN".
std::string FormatComplex(const zoZezo::TComplex& Z, int Digits, char Imaginary);

} // namespace zezo
