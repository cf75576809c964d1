#include "zoZezo/Platform.h"

#include <cmath>

namespace zoZezo {

long double IntPower(long double Base, std::int32_t Exponent) {
    // Square-and-multiply over the magnitude; exact whenever the powers are representable.
    auto Remaining = Exponent < 0 ? 0u - static_cast<std::uint32_t>(Exponent)
                                  : static_cast<std::uint32_t>(Exponent);
    long double Result = 1, Square = Base;
    for (; Remaining != 0; Remaining >>= 1) {
        if (Remaining & 1u) Result *= Square;
        Square *= Square;
    }
    return Exponent < 0 ? 1 / Result : Result;
}

long double ArcTan2(long double Y, long double X) {
    // atan2 tells the zeros apart: (-0, -1) would give -pi, outside (-pi, pi]. A point on an
    // axis has one angle whatever the sign of its zero, so both zeros count as +0.
    if (Y == 0) Y = 0;
    if (X == 0) X = 0;
    return std::atan2(Y, X);
}

} // namespace zoZezo
