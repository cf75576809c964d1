#include "zoZezo/Equation.h"

namespace zoZezo {

TComplex TEquation::ComputeArgsC(std::span<const TComplex>) { return {}; }

} // namespace zoZezo
