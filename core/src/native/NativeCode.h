#pragma once

// Native machine code for one equation (x86-64 with the x87 unit): its computation with every
// pending value in the x87 registers and the built-in operators and functions in place, giving
// the very bits the interpreter gives. The code checks, at every run, that each table entry it
// reads still is what it was translated against (a position in range, a callback still the
// built-in, a variable's cells present or absent as they were, a called equation unchanged);
// when one is not, and when a value leaves what it computes in place (a complex base of "^", a
// negative square root, ...), it declines, having changed nothing the host can see but
// parameter values that the interpreter then sets again, and the interpreter runs the
// computation. Native code calls no host code, so it cannot throw, and nothing can change
// while it runs.
//
// The code reads the tables where the evaluator and the equations keep them, through the
// begin and end pointers of their std::vector, whose layout TranslateToNative checks first.

#include "native/ExecutableMemory.h"
#include "zoZezo/Complex.h"
#include "zoZezo/Equation.h"
#include "zoZezo/Evaluator.h"

#include <cstdint>
#include <memory>
#include <span>

namespace zoZezo {

// What native code leaves besides the real part of the value, which it returns.
struct TNativeResult {
    long double Im;            // the imaginary part, when WantIm
    std::int32_t WantIm;       // whether the caller wants Im
    std::int32_t Declined = 0; // set when the code declined
};

class TNativeCode {
public:
    TNativeCode(std::unique_ptr<TExecutableMemory> Memory, std::uint64_t Runs)
        : FMemory(std::move(Memory)),
          FEntry(reinterpret_cast<TEntry>(const_cast<void*>(FMemory->Start()))), FRuns(Runs) {}

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
    // TNativeMode::Always), and drops code that keeps declining. False when the interpreter
    // must compute it.
    static bool Compute(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                        std::span<const TComplex> Args, long double* Im, long double& Re) {
        if (!Available() || Evaluator.NativeMode() == TNativeMode::Off) return false;
        if (!Equation.FNative) return Translate(Evaluator, Equation, Args, Im, Re);
        if (Equation.FNative->Run(Evaluator, Equation, Args, Im, Re)) {
            Equation.FDeclines = 0;
            return true;
        }
        Declined(Equation);
        return false;
    }

    // The version of Equation's code, which changes whenever its code does.
    static std::uint64_t VersionOf(const TEquation& Equation) { return Equation.FCodeVersion; }
    // Where native code finds the fields of an equation it calls.
    struct TEquationLayout {
        std::int32_t Version, Checked, ErrorCode;
    };
    static TEquationLayout LayoutOf(const TEquation& Equation);

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
    static void Declined(TEquation& Equation);

    std::unique_ptr<TExecutableMemory> FMemory;
    TEntry FEntry;
    std::uint64_t FRuns; // equation runs per computation: its own and every call
};

} // namespace zoZezo
