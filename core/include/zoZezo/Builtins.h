#pragma once

// The built-in operators and functions that Start registers. They are ordinary callbacks, so
// a host may register them again under other names, or call them as complex arithmetic.

#include "zoZezo/Complex.h"
#include "zoZezo/SymbolTable.h"

#include <span>

namespace zoZezo {

class TzoZezoEvaluator;

// pi in extended precision: significand C90FDAA22168C235, biased exponent 4000 (hexadecimal).
inline constexpr long double Pi = 0xC90FDAA22168C235p-62L;

// Imp gives 1 below this magnitude: the extended value nearest to 1e-8, significand
// ABCC77118461CEFD, biased exponent 3FE4 (hexadecimal).
inline constexpr long double ImpThreshold = 0xABCC77118461CEFDp-90L;

// Registers the 27 built-in functions, the constants e and pi and the 15 operators, in that
// order, into tables that Start has just emptied.
void RegisterBuiltins(TzoZezoEvaluator& Evaluator);

// Whether Callback is one of the built-ins that RegisterBuiltins registers.
[[nodiscard]] bool IsBuiltin(TOperatorCallback Callback);
[[nodiscard]] bool IsBuiltin(TFunctionCallback Callback);

// Operators. The real-only ones (\ > < >= <= and or xor) raise EzoZezoEvaluatorError
// "Number must be real" when an operand has an imaginary part.
TComplex OpPower(const TComplex& A, const TComplex& B);
TComplex OpMultiply(const TComplex& A, const TComplex& B);
TComplex OpDivide(const TComplex& A, const TComplex& B);
TComplex OpRemainder(const TComplex& A, const TComplex& B);
TComplex OpAdd(const TComplex& A, const TComplex& B);
TComplex OpSubtract(const TComplex& A, const TComplex& B);
TComplex OpGreater(const TComplex& A, const TComplex& B);
TComplex OpLess(const TComplex& A, const TComplex& B);
TComplex OpGreaterEqual(const TComplex& A, const TComplex& B);
TComplex OpLessEqual(const TComplex& A, const TComplex& B);
TComplex OpNotEqual(const TComplex& A, const TComplex& B);
TComplex OpEqual(const TComplex& A, const TComplex& B);
TComplex OpAnd(const TComplex& A, const TComplex& B);
TComplex OpOr(const TComplex& A, const TComplex& B);
TComplex OpXor(const TComplex& A, const TComplex& B);

// Functions, as registered (If takes three arguments, all others one).
TComplex FnNeg(std::span<const TComplex> Args);
TComplex FnNot(std::span<const TComplex> Args);
TComplex FnExp(std::span<const TComplex> Args);
TComplex FnSin(std::span<const TComplex> Args);
TComplex FnCos(std::span<const TComplex> Args);
TComplex FnTan(std::span<const TComplex> Args);
TComplex FnIf(std::span<const TComplex> Args);
TComplex FnAbs(std::span<const TComplex> Args);
TComplex FnSqrt(std::span<const TComplex> Args);
TComplex FnU(std::span<const TComplex> Args);
TComplex FnRect(std::span<const TComplex> Args);
TComplex FnSinc(std::span<const TComplex> Args);
TComplex FnLn(std::span<const TComplex> Args);
TComplex FnImp(std::span<const TComplex> Args);
TComplex FnRound(std::span<const TComplex> Args);
TComplex FnInt(std::span<const TComplex> Args);
TComplex FnOdd(std::span<const TComplex> Args);
TComplex FnRand(std::span<const TComplex> Args);
TComplex FnCosh(std::span<const TComplex> Args);
TComplex FnSinh(std::span<const TComplex> Args);
TComplex FnTanh(std::span<const TComplex> Args);
TComplex FnRe(std::span<const TComplex> Args);
TComplex FnIm(std::span<const TComplex> Args);
TComplex FnDiode(std::span<const TComplex> Args);
TComplex FnAsin(std::span<const TComplex> Args);
TComplex FnACos(std::span<const TComplex> Args);
TComplex FnATan(std::span<const TComplex> Args);

} // namespace zoZezo
