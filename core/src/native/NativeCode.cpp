#include "native/NativeCode.h"

#include "native/Translate.h"

namespace zoZezo {

TNativeCode::TEquationLayout TNativeCode::LayoutOf(const TEquation& Equation) {
    const auto Offset = [&](const auto& Field) {
        return static_cast<std::int32_t>(reinterpret_cast<const char*>(&Field) -
                                         reinterpret_cast<const char*>(&Equation));
    };
    return {Offset(Equation.FCodeVersion), Offset(Equation.FChecked), Offset(Equation.FErrorCode)};
}

bool TNativeCode::Translate(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                            std::span<const TComplex> Args, long double* Im, long double& Re) {
    if (Equation.FNativeRefused) return false;
    if (Evaluator.NativeMode() == TNativeMode::Often && ++Equation.FComputations < OftenComputed)
        return false;
    Equation.FNative = TranslateToNative(Equation, Evaluator);
    Equation.FNativeRefused = !Equation.FNative;
    return Equation.FNative && Compute(Evaluator, Equation, Args, Im, Re);
}

// Code that keeps declining goes, and the equation is interpreted until its code changes: the
// tables have changed for good, or its values are ones that native code leaves to the
// interpreter.
void TNativeCode::Declined(TEquation& Equation) {
    if (++Equation.FDeclines < MaxDeclines) return;
    Equation.FNative.reset();
    Equation.FNativeRefused = true;
}

} // namespace zoZezo
