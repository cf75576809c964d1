#pragma once

// Helpers shared by the built-in operator and function callbacks.

#include "zoZezo/Complex.h"
#include "zoZezo/Exception.h"
#include "zoZezo/MathMsg.h"

#include <cstddef>
#include <span>
#include <string>

namespace zoZezo::builtins {

// A real result: imaginary part 0.
constexpr TComplex Real(long double Value) {
    return {Value, 0};
}

// A truth value: 1 or 0, imaginary part 0.
constexpr TComplex Truth(bool Value) {
    return Real(Value ? 1 : 0);
}

// The argument list of a one-argument call, for callbacks that call other callbacks.
inline std::span<const TComplex> Single(const TComplex& Z) {
    return {&Z, 1};
}

// Argument I of a call. A callback registered with fewer arguments than it uses gets an error
// instead of a read past the arguments it was given.
inline const TComplex& Arg(std::span<const TComplex> Args, std::size_t I) {
    if (I >= Args.size()) throw EzoZezoEvaluatorError(std::string(MathMsg[ceTooFewArguments]));
    return Args[I];
}

// Raises "Number must be real" when an operand has an imaginary part.
template <class... Operands>
void RequireReal(const Operands&... Ops) {
    if (((Ops.Im != 0) || ...)) throw EzoZezoEvaluatorError(SNumberMustBeReal);
}

// Passes on a result computed from real parts once every operand has proved real. The result
// is computed before the operands are tested, as the caller evaluates it first.
template <class... Operands>
TComplex RealOnly(TComplex Result, const Operands&... Ops) {
    RequireReal(Ops...);
    return Result;
}

} // namespace zoZezo::builtins
