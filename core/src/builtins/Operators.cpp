// The operator callbacks: complex arithmetic, the power, the remainder, comparisons and logic.

#include "builtins/BuiltinSupport.h"
#include "builtins/ComplexArithmetic.h"
#include "zoZezo/Builtins.h"
#include "zoZezo/Platform.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace zoZezo {

using namespace builtins;

namespace {

// True when X has no fractional part; false for infinities and NaN, whose fraction is NaN.
bool IsWhole(long double X) {
    return X - std::trunc(X) == 0;
}

// True when the whole number X is a value of type Int.
template <class Int>
bool Fits(long double X) {
    return X >= static_cast<long double>(std::numeric_limits<Int>::min()) &&
           X <= static_cast<long double>(std::numeric_limits<Int>::max());
}

// Base raised to a whole exponent, by repeated multiplication when the exponent fits 32 bits.
// Beyond that the exponent goes to powl, which keeps the sign rule of whole exponents, instead
// of being cut to its low 32 bits (which would make 2^(2^32) equal to 1).
long double WholePower(long double Base, long double Exponent) {
    if (Fits<std::int32_t>(Exponent)) return IntPower(Base, static_cast<std::int32_t>(Exponent));
    return std::pow(Base, Exponent);
}

// The principal power Exp(B * Ln(A)), through the callbacks, B as the left factor.
TComplex ComplexPower(const TComplex& A, const TComplex& B) {
    const TComplex Log = FnLn(Single(A));
    const TComplex Product = OpMultiply(B, Log);
    return FnExp(Single(Product));
}

// The remainder of A by B with the quotient truncated toward zero; it has the sign of A.
// A quotient beyond the 64-bit integers goes to fmodl, which follows the same sign rule.
long double TruncatedRemainder(long double A, long double B) {
    if (B == 0) return 0;
    const long double Quotient = std::trunc(A / B);
    return Fits<std::int64_t>(Quotient) ? A - Quotient * B : std::fmod(A, B);
}

} // namespace

TComplex OpPower(const TComplex& A, const TComplex& B) {
    if (A.Im == 0 && B.Im == 0) {
        if (IsWhole(B.Re)) return Real(WholePower(A.Re, B.Re));
        if (A.Re > 0) return Real(std::pow(A.Re, B.Re));
    }
    return ComplexPower(A, B);
}

TComplex OpMultiply(const TComplex& A, const TComplex& B) {
    return Product(A, B);
}

TComplex OpDivide(const TComplex& A, const TComplex& B) {
    return Quotient(A, B);
}

TComplex OpRemainder(const TComplex& A, const TComplex& B) {
    return RealOnly(Real(TruncatedRemainder(A.Re, B.Re)), A, B);
}

TComplex OpAdd(const TComplex& A, const TComplex& B) {
    return Sum(A, B);
}

TComplex OpSubtract(const TComplex& A, const TComplex& B) {
    return Difference(A, B);
}

TComplex OpGreater(const TComplex& A, const TComplex& B) {
    return RealOnly(Truth(A.Re > B.Re), A, B);
}

TComplex OpLess(const TComplex& A, const TComplex& B) {
    return RealOnly(Truth(A.Re < B.Re), A, B);
}

TComplex OpGreaterEqual(const TComplex& A, const TComplex& B) {
    return RealOnly(Truth(A.Re >= B.Re), A, B);
}

TComplex OpLessEqual(const TComplex& A, const TComplex& B) {
    return RealOnly(Truth(A.Re <= B.Re), A, B);
}

TComplex OpNotEqual(const TComplex& A, const TComplex& B) {
    return Truth(A.Re != B.Re || A.Im != B.Im);
}

TComplex OpEqual(const TComplex& A, const TComplex& B) {
    return Truth(A.Re == B.Re && A.Im == B.Im);
}

TComplex OpAnd(const TComplex& A, const TComplex& B) {
    return RealOnly(Truth(A.Re != 0 && B.Re != 0), A, B);
}

TComplex OpOr(const TComplex& A, const TComplex& B) {
    return RealOnly(Truth(A.Re != 0 || B.Re != 0), A, B);
}

TComplex OpXor(const TComplex& A, const TComplex& B) {
    return RealOnly(Truth((A.Re != 0) != (B.Re != 0)), A, B);
}

} // namespace zoZezo
