// The elementary function callbacks: selectors, modulus, exponential, logarithm, square root,
// and the circular, hyperbolic and inverse circular functions, all over complex arguments.

#include "builtins/BuiltinSupport.h"
#include "zoZezo/Builtins.h"
#include "zoZezo/Platform.h"

#include <cmath>

namespace zoZezo {

using namespace builtins;

namespace {

constexpr TComplex One{1, 0};
constexpr TComplex I{0, 1};
constexpr TComplex MinusI{0, -1};

// The argument of Z: 0 on the non-negative real axis, pi on the negative one.
long double Phase(const TComplex& Z) {
    if (Z.Im == 0 && Z.Re >= 0) return 0;
    if (Z.Im == 0 && Z.Re < 0) return Pi;
    return ArcTan2(Z.Im, Z.Re);
}

// -i * Ln(U), the last two steps of the inverse sine and cosine.
TComplex MinusILn(const TComplex& U) {
    return OpMultiply(MinusI, FnLn(Single(U)));
}

// Sqrt(1 - Z*Z), the first three steps of the inverse sine and cosine.
TComplex SqrtOneMinusSquare(const TComplex& Z) {
    const TComplex Square = OpMultiply(Z, Z);
    const TComplex Difference = OpSubtract(One, Square);
    return FnSqrt(Single(Difference));
}

bool InRealDomain(const TComplex& Z) {
    return Z.Im == 0 && Z.Re >= -1 && Z.Re <= 1;
}

} // namespace

TComplex FnNeg(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return {-Z.Re, -Z.Im};
}

TComplex FnRe(std::span<const TComplex> Args) {
    return Real(Arg(Args, 0).Re);
}

TComplex FnIm(std::span<const TComplex> Args) {
    return Real(Arg(Args, 0).Im);
}

// The modulus straight from the squares: no scaling against overflow.
TComplex FnAbs(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return Real(std::sqrt(Z.Re * Z.Re + Z.Im * Z.Im));
}

TComplex FnExp(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    const long double Magnitude = std::exp(Z.Re);
    return {Magnitude * std::cos(Z.Im), Magnitude * std::sin(Z.Im)};
}

// The principal logarithm; Ln(0) takes the real logarithm of 0.
TComplex FnLn(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return {std::log(std::sqrt(Z.Re * Z.Re + Z.Im * Z.Im)), Phase(Z)};
}

// A complex or negative argument goes through the power z^0.5, a positive one through the real
// root. Zero of either sign gives +0; NaN is carried.
TComplex FnSqrt(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    if (Z.Im != 0 || Z.Re < 0) return OpPower(Z, Real(0.5L));
    if (Z.Re == 0) return Real(0);
    return Real(std::sqrt(Z.Re));
}

TComplex FnSin(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    const long double Up = std::exp(Z.Im), Down = std::exp(-Z.Im);
    return {std::sin(Z.Re) * (Up + Down) / 2, std::cos(Z.Re) * (Up - Down) / 2};
}

TComplex FnCos(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    const long double Up = std::exp(Z.Im), Down = std::exp(-Z.Im);
    return {std::cos(Z.Re) * (Down + Up) / 2, std::sin(Z.Re) * (Down - Up) / 2};
}

TComplex FnSinh(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    const long double Up = std::exp(Z.Re), Down = std::exp(-Z.Re);
    return {(Up - Down) / 2 * std::cos(Z.Im), (Up + Down) / 2 * std::sin(Z.Im)};
}

TComplex FnCosh(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    const long double Up = std::exp(Z.Re), Down = std::exp(-Z.Re);
    return {(Up + Down) / 2 * std::cos(Z.Im), (Up - Down) / 2 * std::sin(Z.Im)};
}

// Sin / Cos through the complex division, also for a real argument.
TComplex FnTan(std::span<const TComplex> Args) {
    return OpDivide(FnSin(Args), FnCos(Args));
}

TComplex FnTanh(std::span<const TComplex> Args) {
    return OpDivide(FnSinh(Args), FnCosh(Args));
}

// Real on [-1, 1]; elsewhere -i * Ln(i*z + Sqrt(1 - z*z)).
TComplex FnAsin(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    if (InRealDomain(Z)) return Real(std::asin(Z.Re));
    const TComplex Root = SqrtOneMinusSquare(Z);
    const TComplex Rotated = OpMultiply(I, Z);
    return MinusILn(OpAdd(Rotated, Root));
}

// Real on [-1, 1]; elsewhere -i * Ln(z + i*Sqrt(1 - z*z)).
TComplex FnACos(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    if (InRealDomain(Z)) return Real(std::acos(Z.Re));
    const TComplex Root = SqrtOneMinusSquare(Z);
    const TComplex Rotated = OpMultiply(I, Root);
    return MinusILn(OpAdd(Z, Rotated));
}

// Real for every real argument; elsewhere (Ln(1 + z*i) - Ln(1 - z*i)) / 2i.
TComplex FnATan(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    if (Z.Im == 0) return Real(std::atan(Z.Re));
    const TComplex Rotated = OpMultiply(Z, I);
    const TComplex Below = FnLn(Single(OpSubtract(One, Rotated)));
    const TComplex Above = FnLn(Single(OpAdd(One, Rotated)));
    return OpDivide(OpSubtract(Above, Below), TComplex{0, 2});
}

} // namespace zoZezo
