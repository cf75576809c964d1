#pragma once

#include "native/NativeCode.h"
#include "zoZezo/NativeStatus.h"

#include <memory>

namespace zoZezo {

struct TTranslation {
    std::unique_ptr<TNativeCode> Code; // null when the translation declined
    TNativeAbort Reason;               // why it declined
};

// Translates Equation's code (compiled without error) into native code, or says why it does not:
// the code uses something native code does not do (host callbacks, calls whose count changed,
// deep or recursive calls, ...). Code without WithIm gives the real part alone, and is the
// smaller and faster for it.
TTranslation TranslateToNative(const TEquation& Equation, const TzoZezoEvaluator& Evaluator,
                               bool WithIm);

// What TranslateToNative would give now: None, or why it would decline. Makes no executable
// memory.
TNativeAbort TranslationVerdict(const TEquation& Equation, const TzoZezoEvaluator& Evaluator);

} // namespace zoZezo
