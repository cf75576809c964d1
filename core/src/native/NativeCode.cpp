#include "native/NativeCode.h"

#include "native/Translate.h"
#include "zoZezo/Equations.h"

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
    if (Equation.FNativeRefusal != TNativeAbort::None) return false;
    if (Evaluator.NativeMode() == TNativeMode::Often && ++Equation.FComputations < OftenComputed)
        return false;
    TTranslation Translation = TranslateToNative(Equation, Evaluator);
    Equation.FNative = std::move(Translation.Code);
    Equation.FNativeRefusal = Translation.Reason;
    return Equation.FNative && Compute(Evaluator, Equation, Args, Im, Re);
}

// Code that keeps declining goes, and the equation is interpreted until its code changes: the
// tables have changed for good, or its values are ones that native code leaves to the
// interpreter.
void TNativeCode::Declined(TEquation& Equation) {
    if (++Equation.FDeclines < MaxDeclines) return;
    Equation.FNative.reset();
    Equation.FNativeRefusal = TNativeAbort::KeptDeclining;
}

TNativeStatus TNativeCode::StatusOf(const TEquation& Equation) {
    const TzoZezoEvaluator* Evaluator = Equation.Owner() ? Equation.Owner()->Evaluator() : nullptr;
    if (!Available()) return {TNativeState::Unavailable};
    if (!Evaluator || !Equation.Checked() || Equation.ErrorCode() != 0)
        return {TNativeState::NotCompiled};
    if (Evaluator->NativeMode() == TNativeMode::Off) return {TNativeState::Off};
    if (Equation.FNative) return {TNativeState::Translated};
    if (Equation.FNativeRefusal != TNativeAbort::None)
        return {TNativeState::Declined, Equation.FNativeRefusal};
    const bool Often = Evaluator->NativeMode() == TNativeMode::Often;
    return {TNativeState::NotYetHot, TranslationVerdict(Equation, *Evaluator),
            Often ? Equation.FComputations : 0, Often ? OftenComputed : 1};
}

} // namespace zoZezo
