#include "zoZezo/Equation.h"

namespace zoZezo {

bool TEquation::Check() { return false; }

} // namespace zoZezo
