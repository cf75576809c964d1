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

#include "ExecutableMemory.h"
#include "zoZezo/Complex.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace zoZezo {

class TEquation;
class TzoZezoEvaluator;

// A table as native code reads it: its entries by position.
struct TNativeTable {
    const void* const* Data = nullptr;
    std::size_t Size = 0;
};

// What a native computation receives, in rdi.
struct TNativeFrame {
    static constexpr int MaxCallees = 8;
    TNativeTable Operators, Constants, Variables, Functions;
    // [0] the equation's own parameters, then those of each equation its code calls.
    TNativeTable Parameters[MaxCallees + 1];
    long double Im = 0;        // the imaginary part of the result
    std::int32_t Declined = 0; // set when the code declined
};

class TNativeCode {
public:
    // An equation the code calls, with everything the code relies on.
    struct TCallee {
        const TEquation* Equation;
        int Index;             // its position in the list
        std::uint64_t Version; // its code's version when translated
        int ParamCount;
    };

    TNativeCode(std::unique_ptr<TExecutableMemory> Memory, std::vector<TCallee> Callees,
                std::uint64_t Runs)
        : FMemory(std::move(Memory)), FCallees(std::move(Callees)), FRuns(Runs) {}

    // Computes Equation (the one translated) on Args, as the interpreter would; false when the
    // code declined and the interpreter must compute it.
    bool Run(const TzoZezoEvaluator& Evaluator, TEquation& Equation, std::span<const TComplex> Args,
             long double* Im, long double& Re) const;

    // Computes Equation natively when its evaluator's mode and its history say so: translates
    // it when it has been computed often enough (at once in TNativeMode::Always), and drops
    // code that keeps declining. False when the interpreter must compute it.
    static bool Compute(const TzoZezoEvaluator& Evaluator, TEquation& Equation,
                        std::span<const TComplex> Args, long double* Im, long double& Re);

    // The version of Equation's code, which changes whenever its code does.
    static std::uint64_t VersionOf(const TEquation& Equation);

    // Whether native code can run in this build.
    static bool Available();

    // The computations after which TNativeMode::Often translates an equation.
    static constexpr std::uint32_t OftenComputed = 64;
    // The declines in a row after which code is dropped, to be translated anew later.
    static constexpr std::uint32_t MaxDeclines = 16;

private:
    using TEntry = long double (*)(TNativeFrame*);
    std::unique_ptr<TExecutableMemory> FMemory;
    std::vector<TCallee> FCallees;
    std::uint64_t FRuns; // equation runs per computation: its own and every call
};

// Translates Equation's code (compiled without error) into native code; null when the code
// uses something native code does not do (host callbacks, calls whose count changed, deep or
// recursive calls, ...) or when this build has no native code.
std::unique_ptr<TNativeCode> TranslateToNative(const TEquation& Equation,
                                               const TzoZezoEvaluator& Evaluator);

} // namespace zoZezo
