#include "native/NativeCode.h"

#include "native/Translate.h"
#include "zoZezo/Equations.h"

namespace zoZezo {

// In TNativeMode::Often the code runs from the next computation on, so that the code of other
// equations translated meanwhile (in a sweep over a document, say) shares its pages; in
// TNativeMode::Always it runs at once.
bool TNativeCode::Translate(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                            std::span<const TComplex> Args, long double* Im, long double& Re) {
    if (Equation.FNativeRefusal != TNativeAbort::None) return false;
    const bool Often = Evaluator.NativeMode() == TNativeMode::Often;
    if (Often && ++Equation.FComputations < OftenComputed) return false;
    return Install(Evaluator, Equation, Args, Im, Re);
}

// Translates Equation for the parts this computation wants, in place of any code it had.
bool TNativeCode::Install(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                          std::span<const TComplex> Args, long double* Im, long double& Re) {
    TTranslation Translation = TranslateToNative(Equation, Evaluator, Im != nullptr);
    Equation.FNative = std::move(Translation.Code);
    Equation.FNativeRefusal = Translation.Reason;
    return Equation.FNative && Evaluator.NativeMode() != TNativeMode::Often &&
           Compute(Evaluator, Equation, Args, Im, Re);
}

// Readies the code for its first run, and for the first run after the evaluator's lists or
// equations changed: its memory sealed, its dependencies where they were. Code whose memory the
// system refuses to seal goes, and the equation is interpreted until its code changes; code
// whose dependencies moved goes, and the equation is translated again once computed often
// enough.
bool TNativeCode::Ready(const TzoZezoEvaluator& Evaluator, TEquation& Equation) {
    TNativeCode& Code = *Equation.FNative;
    if (!Code.FMemory->Seal()) {
        Equation.FNative.reset();
        Equation.FNativeRefusal = TNativeAbort::NoExecutableMemory;
        return false;
    }
    if (!Code.DependenciesHold(Evaluator, Equation)) {
        Equation.FNative.reset();
        Equation.FComputations = 0;
        return false;
    }
    Code.FReadyAt = Evaluator.FChanges;
    return true;
}

// The callees come first, so that a callee's parameter table is read only once the callee is
// known to be the one translated against, alive.
bool TNativeCode::DependenciesHold(const TzoZezoEvaluator& Evaluator,
                                   const TEquation& Equation) const {
    const auto EquationOf = [&](int Table) -> const TEquation& {
        if (Table == 0) return Equation;
        return *static_cast<const TEquation*>(
            FDependencies[static_cast<std::size_t>(Table - 1)].Item);
    };
    for (const TDependency& D : FDependencies) {
        const void* Item = nullptr;
        switch (D.Kind) {
        case TDependency::Callee: Item = Equation.Owner()->Get(D.Index); break;
        case TDependency::Operator: Item = Evaluator.Operators().Get(D.Index); break;
        case TDependency::Function: Item = Evaluator.Functions().Get(D.Index); break;
        case TDependency::Constant: Item = Evaluator.Constants().Get(D.Index); break;
        case TDependency::Variable: Item = Evaluator.Variables().Get(D.Index); break;
        case TDependency::Parameter: Item = EquationOf(D.Table).LocalConstants().Get(D.Index);
        }
        if (Item != D.Item) return false;
        if (D.Kind != TDependency::Callee) continue;
        const auto& Callee = *static_cast<const TEquation*>(Item);
        if (Callee.FCodeVersion != D.Version || !Callee.Checked() || Callee.ErrorCode() != 0 ||
            Callee.LocalConstants().Count() != D.ParamCount)
            return false;
    }
    return true;
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
