#include "NumberFormat.h"

#include <cmath>
#include <fmt/format.h>

namespace zezo {

// A quiet NaN computed on x87 carries the sign bit; "-nan" and "-nan-nanj" say nothing more
// than that the value is not a number.
std::string FormatReal(long double X, int Digits) {
    if (std::isnan(X)) return "NaN";
    return fmt::format("{:.{}g}", X, Digits);
}

std::string FormatComplex(const zoZezo::TComplex& Z, int Digits, char Imaginary) {
    if (Z.Im == 0 || std::isnan(Z.Re)) return FormatReal(Z.Re, Digits);
    if (std::isnan(Z.Im)) return FormatReal(Z.Im, Digits);
    return fmt::format("{}{}{}{}", FormatReal(Z.Re, Digits), std::signbit(Z.Im) ? '-' : '+',
                       FormatReal(std::fabs(Z.Im), Digits), Imaginary);
}

} // namespace zezo
