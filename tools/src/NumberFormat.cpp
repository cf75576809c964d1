#include "NumberFormat.h"

#include <cmath>
#include <fmt/format.h>

namespace zezo {

std::string FormatReal(long double X, int Digits) {
    return fmt::format("{:.{}g}", X, Digits);
}

std::string FormatComplex(const zoZezo::TComplex& Z, int Digits, char Imaginary) {
    if (Z.Im == 0) return FormatReal(Z.Re, Digits);
    return fmt::format("{}{}{}{}", FormatReal(Z.Re, Digits), std::signbit(Z.Im) ? '-' : '+',
                       FormatReal(std::fabs(Z.Im), Digits), Imaginary);
}

} // namespace zezo
