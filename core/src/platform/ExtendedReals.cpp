#include "zoZezo/Platform.h"

#include <cmath>

namespace zoZezo {

long double ArcTan2(long double Y, long double X) {
    // atan2 tells the zeros apart: (-0, -1) would give -pi, outside (-pi, pi]. A point on an
    // axis has one angle whatever the sign of its zero, so both zeros count as +0.
    if (Y == 0) Y = 0;
    if (X == 0) X = 0;
    return std::atan2(Y, X);
}

} // namespace zoZezo
