#include "SweepPoints.h"

#include <cmath>

namespace zezo {

std::size_t SweepPoints(long double From, long double To, long double Step) {
    const long double Steps = (To - From) / Step;
    const long double Nearest = std::round(Steps);
    const long double Last =
        std::fabs(Steps - Nearest) <= 1e-9L * std::fmax(1.0L, Steps) ? Nearest : std::floor(Steps);
    return static_cast<std::size_t>(Last) + 1;
}

} // namespace zezo
