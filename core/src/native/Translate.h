#pragma once

#include "native/NativeCode.h"

#include <memory>

namespace zoZezo {

// Translates Equation's code (compiled without error) into native code; null when the code
// uses something native code does not do (host callbacks, calls whose count changed, deep or
// recursive calls, ...) or when this build has no native code.
std::unique_ptr<TNativeCode> TranslateToNative(const TEquation& Equation,
                                               const TzoZezoEvaluator& Evaluator);

} // namespace zoZezo
