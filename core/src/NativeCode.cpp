#include "NativeCode.h"

#include "zoZezo/Equation.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Evaluator.h"

namespace zoZezo {
namespace {

template <class Table>
TNativeTable ViewOf(const Table& Entries) {
    const auto& Items = Entries.Items();
    return {reinterpret_cast<const void* const*>(Items.data()), Items.size()};
}

} // namespace

std::uint64_t TNativeCode::VersionOf(const TEquation& Equation) {
    return Equation.FCodeVersion;
}

bool TNativeCode::Available() {
#if defined(__x86_64__) && defined(__linux__)
    return true;
#else
    return false;
#endif
}

bool TNativeCode::Run(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                      std::span<const TComplex> Args, long double* Im, long double& Re) const {
    if (Evaluator.RunBudget() < FRuns) return false; // the interpreter refuses at the right run
    TNativeFrame Frame;
    Frame.Operators = ViewOf(Evaluator.Operators());
    Frame.Constants = ViewOf(Evaluator.Constants());
    Frame.Variables = ViewOf(Evaluator.Variables());
    Frame.Functions = ViewOf(Evaluator.Functions());
    Frame.Parameters[0] = ViewOf(Equation.LocalConstants());
    const auto& Listed = Equation.Owner()->Items();
    for (std::size_t K = 0; K < FCallees.size(); ++K) {
        const TCallee& Callee = FCallees[K];
        const auto Index = static_cast<std::size_t>(Callee.Index);
        // The equation at the position is compared before it is read: the one translated
        // against may be gone.
        if (Index >= Listed.size() || Listed[Index] != Callee.Equation) return false;
        const TEquation& Called = *Listed[Index];
        if (Called.FCodeVersion != Callee.Version || !Called.Checked() || Called.ErrorCode() != 0 ||
            Called.LocalConstants().Count() != Callee.ParamCount)
            return false;
        Frame.Parameters[K + 1] = ViewOf(Called.LocalConstants());
    }
    const auto& Parameters = Equation.LocalConstants().Items();
    for (std::size_t K = 0; K < Parameters.size(); ++K) {
        Parameters[K]->Re = K < Args.size() ? Args[K].Re : 0;
        Parameters[K]->Im = K < Args.size() ? Args[K].Im : 0;
    }
    const auto Entry = reinterpret_cast<TEntry>(const_cast<void*>(FMemory->Start()));
    const long double Value = Entry(&Frame);
    if (Frame.Declined) return false;
    Re = Value;
    if (Im) *Im = Frame.Im;
    return true;
}

bool TNativeCode::Compute(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                          std::span<const TComplex> Args, long double* Im, long double& Re) {
    const TNativeMode Mode = Evaluator.NativeMode();
    if (Mode == TNativeMode::Off || !Available()) return false;
    if (!Equation.FNative) {
        if (Equation.FNativeRefused) return false;
        if (Mode == TNativeMode::Often && ++Equation.FComputations < OftenComputed) return false;
        Equation.FNative = TranslateToNative(Equation, Evaluator);
        Equation.FNativeRefused = !Equation.FNative;
        if (!Equation.FNative) return false;
    }
    if (Equation.FNative->Run(Evaluator, Equation, Args, Im, Re)) {
        Equation.FDeclines = 0;
        return true;
    }
    if (++Equation.FDeclines >= MaxDeclines) { // the tables have changed for good, probably
        Equation.FNative.reset();
        Equation.FComputations = 0;
        Equation.FDeclines = 0;
    }
    return false;
}

} // namespace zoZezo
