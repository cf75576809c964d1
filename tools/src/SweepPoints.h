#pragma once

#include <cstddef>

namespace zezo {

// The points of a sweep from From towards To by Step, both ends included where the steps reach
// To: the quotient of decimal values misses a whole number by a few ulps (2/0.1 is just under
// 20), so a value within a relative 1e-9 of To still counts as reaching it. The range must
// already be checked: finite, a step that is not 0 and leads towards To.
std::size_t SweepPoints(long double From, long double To, long double Step);

} // namespace zezo
