#pragma once

// The built-in operators and functions that the engine runs in place. Calling a callback costs
// more than most of them compute: the operands must leave the registers for memory, and the
// complex formulas of the functions spend most of their time on an imaginary part of zero.
// Each fast path below gives the very bits its callback gives; where it cannot, it declines,
// and the engine calls the callback.

#include "builtins/BuiltinSupport.h"
#include "builtins/ComplexArithmetic.h"
#include "engine/StepList.h"
#include "zoZezo/Builtins.h"
#include "zoZezo/Instruction.h"
#include "zoZezo/Platform.h"
#include "zoZezo/SymbolTable.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace zoZezo {

class TzoZezoEvaluator;

// The built-ins with a fast path (StepList.h): biNone, the operators, then the functions.
// clang-format off
enum TBuiltin : std::uint8_t {
#define ZOZEZO_BUILTIN(Unused, Item) bi##Item,
    ZOZEZO_STEP_OPERATORS(ZOZEZO_BUILTIN, )
    ZOZEZO_FAST_FUNCTIONS(ZOZEZO_BUILTIN, )
#undef ZOZEZO_BUILTIN
    biCount
};
// The operators run from biNone + 1 to biLastOperator, the functions from there to biCount.
#define ZOZEZO_PLUS_ONE(Unused, Item) +1
inline constexpr TBuiltin biLastOperator =
    static_cast<TBuiltin>(biNone ZOZEZO_FAST_OPERATORS(ZOZEZO_PLUS_ONE, ));
#undef ZOZEZO_PLUS_ONE
// clang-format on

struct TBuiltinCallback {
    TOperatorCallback Operator = nullptr;
    TFunctionCallback Function = nullptr;
};

// The callback each built-in stands for, by TBuiltin. Not inline: every user keeps its own copy,
// which it reaches without indirection.
constexpr std::array<TBuiltinCallback, biCount> BuiltinCallbacks = [] {
    std::array<TBuiltinCallback, biCount> Table{};
#define ZOZEZO_OPERATOR_CALLBACK(Unused, Item) Table[bi##Item].Operator = Op##Item;
#define ZOZEZO_FUNCTION_CALLBACK(Unused, Item) Table[bi##Item].Function = Fn##Item;
    ZOZEZO_FAST_OPERATORS(ZOZEZO_OPERATOR_CALLBACK, )
    ZOZEZO_FAST_FUNCTIONS(ZOZEZO_FUNCTION_CALLBACK, )
#undef ZOZEZO_OPERATOR_CALLBACK
#undef ZOZEZO_FUNCTION_CALLBACK
    return Table;
}();

// Which built-in the entry that an opOperator or opFunction instruction names holds now;
// biNone for any other callback or kind, and for a function registered with another count
// than one argument.
TBuiltin BuiltinOf(const TzoZezoEvaluator& Evaluator, TOperation Kind, int Index);

namespace fast {

using builtins::Truth;

// X, as a value the C++ compiler may not assume it knows: arithmetic on it is made when the
// program runs, under the x87 control word in force, as native code makes it, instead of being
// worked out or dropped while compiling (x - 0 is not x for a signalling NaN, an invalid
// encoding, or +0 when rounding down).
[[gnu::always_inline]] inline long double Opaque(long double X) {
#if defined(__x86_64__) || defined(__i386__)
    asm("" : "+t"(X));
#else
    asm("" : "+m"(X));
#endif
    return X;
}

// A real result, its imaginary part a zero that arithmetic after it does not drop.
[[gnu::always_inline]] inline TComplex Real(long double Value) {
    return {Value, Opaque(0)};
}

// Copies a value part by part. The compiler keeps a struct of extended reals in registers only
// while it is never copied whole: a whole copy sends it through memory, part by part it stays.
inline void Assign(TComplex& To, const TComplex& From) {
    To.Re = From.Re;
    To.Im = From.Im;
}

inline bool IsReal(const TComplex& Z) {
    return Z.Im == 0;
}

// True, with N set, when X is a whole number within 32 bits: the case in which "^" takes the
// integer power of its base.
inline bool SmallWhole(long double X, std::int32_t& N) {
    if (!(X >= INT32_MIN && X <= INT32_MAX)) return false;
    N = static_cast<std::int32_t>(X);
    return N == X;
}

// Both at the price of about one where the C library offers that (glibc's sincosl, which gives
// the bits of sinl and cosl).
inline void SinCos(long double X, long double& Sin, long double& Cos) {
#ifdef __GLIBC__
    ::sincosl(X, &Sin, &Cos);
#else
    Sin = std::sin(X);
    Cos = std::cos(X);
#endif
}

// Sine and cosine of a real argument. The complex formulas meet e^(+-0) = 1 there and become
// (sin x * (1 + 1) / 2, cos x * (1 - 1) / 2) and (cos x * (1 + 1) / 2, sin x * (1 - 1) / 2): the
// real part is the real function, the imaginary part a zero that takes the other function's
// sign (NaN where that one is NaN). The factors are worked out when the program runs, as the
// formulas work them out, so that they follow the control word in force: 1 - 1 is -0 when
// rounding down, and x * 2 is rounded to the precision set. Where the other function's sign is
// known (cos x > 0 for |x| <= 1.5, sin x has the sign of x for |x| <= 3) it is not computed.
struct TUnitFactors {
    long double Two, Zero; // 1 + 1 and 1 - 1
};

inline TUnitFactors UnitFactors() {
    const long double One = Opaque(1);
    return {One + One, One - One};
}

inline TComplex RealSin(long double X) {
    const auto [Two, Zero] = UnitFactors();
    if (std::fabs(X) <= 1.5L) return {std::sin(X) * Two / 2, Zero};
    long double Sin, Cos;
    SinCos(X, Sin, Cos);
    return {Sin * Two / 2, Cos * Zero / 2};
}

inline TComplex RealCos(long double X) {
    const auto [Two, Zero] = UnitFactors();
    if (std::fabs(X) <= 3) return {std::cos(X) * Two / 2, std::copysign(0.0L, X) * Zero};
    long double Sin, Cos;
    SinCos(X, Sin, Cos);
    return {Cos * Two / 2, Sin * Zero / 2};
}

// Tan is Sin / Cos through the complex quotient, also for a real argument.
inline TComplex RealTan(long double X) {
    const auto [Two, Zero] = UnitFactors();
    long double Sin, Cos;
    SinCos(X, Sin, Cos);
    return builtins::Quotient({Sin * Two / 2, Cos * Zero / 2}, {Cos * Two / 2, Sin * Zero / 2});
}

// What the built-in operator gives for A and B. Returns false when its callback must run:
// operands outside the fast path, or operands it refuses with an error.
[[gnu::always_inline]] inline bool Operator(TBuiltin Builtin, const TComplex& A, const TComplex& B,
                                            TComplex& Result) {
    const bool Real = IsReal(A) && IsReal(B);
    std::int32_t N;
    switch (Builtin) {
    case biAdd: Assign(Result, builtins::Sum(A, B)); return true;
    case biSubtract: Assign(Result, builtins::Difference(A, B)); return true;
    case biMultiply: Assign(Result, builtins::Product(A, B)); return true;
    case biDivide: Assign(Result, builtins::Quotient(A, B)); return true;
    case biPower:
        if (!Real || !SmallWhole(B.Re, N)) return false;
        Assign(Result, fast::Real(IntPower(A.Re, N)));
        return true;
    case biGreater: Assign(Result, Truth(A.Re > B.Re)); return Real;
    case biLess: Assign(Result, Truth(A.Re < B.Re)); return Real;
    case biGreaterEqual: Assign(Result, Truth(A.Re >= B.Re)); return Real;
    case biLessEqual: Assign(Result, Truth(A.Re <= B.Re)); return Real;
    case biNotEqual: Assign(Result, Truth(A.Re != B.Re || A.Im != B.Im)); return true;
    case biEqual: Assign(Result, Truth(A.Re == B.Re && A.Im == B.Im)); return true;
    case biAnd: Assign(Result, Truth(A.Re != 0 && B.Re != 0)); return Real;
    case biOr: Assign(Result, Truth(A.Re != 0 || B.Re != 0)); return Real;
    case biXor: Assign(Result, Truth((A.Re != 0) != (B.Re != 0))); return Real;
    default: return false;
    }
}

// What the built-in one-argument function gives for Z. Returns false when its callback must
// run: a complex argument, mostly.
[[gnu::always_inline]] inline bool Function(TBuiltin Builtin, const TComplex& Z, TComplex& Result) {
    switch (Builtin) { // these for a complex argument too
    case biNeg: Assign(Result, {-Z.Re, -Z.Im}); return true;
    case biRe: Assign(Result, Real(Z.Re)); return true;
    case biIm: Assign(Result, Real(Z.Im)); return true;
    case biAbs: Assign(Result, Real(std::sqrt(Z.Re * Z.Re + Z.Im * Z.Im))); return true;
    default: break;
    }
    if (!IsReal(Z)) return false; // the others run in place for a real argument only
    const long double X = Z.Re;
    switch (Builtin) {
    case biExp: {
        const long double Magnitude = std::exp(X); // times cos(+-0) = 1 and sin(+-0) = +-0
        Assign(Result, {Magnitude, Magnitude * Z.Im});
        return true;
    }
    case biSin: Assign(Result, RealSin(X)); return true;
    case biCos: Assign(Result, RealCos(X)); return true;
    case biTan: Assign(Result, RealTan(X)); return true;
    case biSqrt:
        if (!(X > 0)) return false;
        Assign(Result, fast::Real(std::sqrt(X)));
        return true;
    case biATan: Assign(Result, fast::Real(std::atan(X))); return true;
    default: return false;
    }
}

} // namespace fast
} // namespace zoZezo
