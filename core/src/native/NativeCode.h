#pragma once

// Native machine code for one equation (x86-64 with the x87 unit): its computation with every
// pending value in the x87 registers and the built-in operators and functions in place, giving
// the very bits the interpreter gives.
//
// The code reads the entries and the equations it was translated against at the addresses they
// had, and relies on them in two ways. What the evaluator learns of (an entry or an equation
// joining or leaving its list, an equation given a new text or new code) is looked at again
// only when the evaluator's count of such changes moved: the code then runs while each entry
// and equation it reads still stands where it stood, each equation with the code it had. What
// the host may change in an entry without the evaluator knowing, the code checks at every run:
// an operator's or function's callback still the built-in (and the function's parameter count),
// a variable's cells present or absent as they were and none of them a parameter of an
// equation it calls, the x87 control word the one it was translated under. When one is not, and
// when a value leaves what it computes (a comparison of complex values, a built-in's callback
// that throws), it declines, having changed nothing the host can see but parameter values that
// the interpreter then sets again, and the interpreter runs the computation. Native code calls no
// host code, so it cannot throw, and nothing can change while it runs.

#include "native/ExecutableMemory.h"
#include "zoZezo/Complex.h"
#include "zoZezo/Equation.h"
#include "zoZezo/Evaluator.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace zoZezo {

// What native code leaves besides the real part of the value, which it returns.
struct TNativeResult {
    long double Im;            // the imaginary part, when WantIm
    std::int32_t WantIm;       // whether the caller wants Im
    std::int32_t Declined = 0; // set when the code declined
};

class TNativeCode {
public:
    // An entry or an equation the code reads, where it stood when the code was translated.
    struct TDependency {
        enum TKind : std::uint8_t { Callee, Operator, Function, Constant, Variable, Parameter };
        TKind Kind;
        int Table;        // for parameters: 0 the equation's own, K those of the K-th callee
        int Index;        // its position in its list
        const void* Item; // the entry or the equation there
        std::uint64_t Version = 0; // a callee's code, as its version
        int ParamCount = 0;        // a callee's parameters
    };

    // Dependencies lists the callees first, in the order the parameters' Table counts them.
    // Code without WithIm computes the real part alone.
    TNativeCode(std::unique_ptr<TExecutableMemory> Memory, std::uint64_t Runs,
                std::vector<TDependency> Dependencies, bool WithIm)
        : FMemory(std::move(Memory)),
          FEntry(reinterpret_cast<TEntry>(const_cast<void*>(FMemory->Start()))), FRuns(Runs),
          FDependencies(std::move(Dependencies)), FWithIm(WithIm) {}

    // Computes the equation translated on Args, as the interpreter would; false when the code
    // declined and the interpreter must compute it.
    bool Run(const TzoZezoEvaluator& Evaluator, TEquation& Equation, std::span<const TComplex> Args,
             long double* Im, long double& Re) const {
        if (Evaluator.RunBudget() < FRuns) return false; // the interpreter refuses at the run
        const auto& Parameters = Equation.LocalConstants().Items();
        for (std::size_t K = 0; K < Parameters.size(); ++K) {
            Parameters[K]->Re = K < Args.size() ? Args[K].Re : 0;
            Parameters[K]->Im = K < Args.size() ? Args[K].Im : 0;
        }
        TNativeResult Result;
        Result.WantIm = Im != nullptr;
        const long double Value = FEntry(&Result);
        if (Result.Declined) return false;
        Re = Value;
        if (Im) *Im = Result.Im;
        return true;
    }

    // Computes Equation, compiled without error, natively when its evaluator's mode and its
    // history say so: translates it once it has been computed often enough (at once in
    // TNativeMode::Always), and drops code that keeps declining. Code is first made for the part
    // or parts the computation that translates it wants, and made again with both parts the
    // first time the real part alone does not do. False when the interpreter must compute it.
    static bool Compute(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                        std::span<const TComplex> Args, long double* Im, long double& Re) {
        if (!Available() || Evaluator.NativeMode() == TNativeMode::Off) return false;
        const TNativeCode* Code = Equation.FNative.get();
        if (!Code) return Translate(Evaluator, Equation, Args, Im, Re);
        if (Im && !Code->FWithIm) [[unlikely]]
            return Install(Evaluator, Equation, Args, Im, Re);
        if (Code->FReadyAt != Evaluator.FChanges && !Ready(Evaluator, Equation)) [[unlikely]]
            return false;
        if (Code->Run(Evaluator, Equation, Args, Im, Re)) {
            Equation.FDeclines = 0;
            return true;
        }
        Declined(Equation);
        return false;
    }

    // Where Equation stands with native code; see TEquation::NativeStatus.
    static TNativeStatus StatusOf(const TEquation& Equation);

    // The version of Equation's code, which changes whenever its code does.
    static std::uint64_t VersionOf(const TEquation& Equation) { return Equation.FCodeVersion; }

    // Whether native code can run in this build.
    static constexpr bool Available() {
#if defined(__x86_64__) && defined(__linux__)
        return true;
#else
        return false;
#endif
    }

    // The computations after which TNativeMode::Often translates an equation.
    static constexpr std::uint32_t OftenComputed = 64;
    // The declines in a row after which code is dropped until the equation's code changes.
    static constexpr std::uint32_t MaxDeclines = 16;

private:
    using TEntry = long double (*)(TNativeResult*);

    static bool Translate(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                          std::span<const TComplex> Args, long double* Im, long double& Re);
    static bool Install(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                        std::span<const TComplex> Args, long double* Im, long double& Re);
    static bool Ready(const TzoZezoEvaluator& Evaluator, TEquation& Equation);
    static void Declined(TEquation& Equation);
    bool DependenciesHold(const TzoZezoEvaluator& Evaluator, const TEquation& Equation) const;

    // FReadyAt before the code's memory is sealed: no count of changes is ever this high.
    static constexpr std::uint64_t NotSealed = ~std::uint64_t{0};

    std::unique_ptr<TExecutableMemory> FMemory;
    TEntry FEntry;
    std::uint64_t FRuns; // equation runs per computation: its own and every call
    std::vector<TDependency> FDependencies;
    bool FWithIm; // whether the code computes the imaginary part too
    // The evaluator's count of changes when the dependencies last held, once the code's memory
    // is sealed.
    std::uint64_t FReadyAt = NotSealed;
};

} // namespace zoZezo
