#include "zoZezo/Builtins.h"

#include "zoZezo/Evaluator.h"

namespace zoZezo {

void RegisterBuiltins(TzoZezoEvaluator&) {}

} // namespace zoZezo
