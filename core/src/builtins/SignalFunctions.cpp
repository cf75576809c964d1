// The logic, integer, signal and random function callbacks. All but If, Imp and Sinc take a
// real argument only: they compute their result, then raise "Number must be real" for a
// complex one.

#include "builtins/BuiltinSupport.h"
#include "zoZezo/Builtins.h"
#include "zoZezo/Platform.h"

#include <cmath>

namespace zoZezo {

using namespace builtins;

namespace {

// Rand draws one of this many equally spaced fractions of its argument.
constexpr int RandSteps = 65000;

// X rounded to the nearest whole number, halfway cases to even (the default rounding mode).
// This is the 64-bit integer that llrintl gives wherever that one exists; a magnitude of 2^63
// or more is whole already and stays as it is, as do infinities and NaN.
long double RoundToWhole(long double X) {
    return std::rint(X);
}

} // namespace

TComplex FnNot(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return RealOnly(Truth(Z.Re == 0), Z);
}

// Copies the whole chosen branch; only the condition must be real.
TComplex FnIf(std::span<const TComplex> Args) {
    const TComplex& Condition = Arg(Args, 0);
    return RealOnly(Condition.Re != 0 ? Arg(Args, 1) : Arg(Args, 2), Condition);
}

TComplex FnRound(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return RealOnly(Real(RoundToWhole(Z.Re)), Z);
}

// Truncation toward zero in extended precision, with no integer range limit.
TComplex FnInt(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return RealOnly(Real(std::trunc(Z.Re)), Z);
}

// 1 when Round gives an odd number, negative ones included; 0 for infinities and NaN.
TComplex FnOdd(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return RealOnly(Truth(std::fabs(std::fmod(RoundToWhole(Z.Re), 2)) == 1), Z);
}

TComplex FnU(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return RealOnly(Truth(Z.Re >= 0), Z);
}

// A pulse of width 1 centred on 0, both edges included.
TComplex FnRect(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return RealOnly(Truth(std::fabs(Z.Re) <= 0.5L), Z);
}

// 1 within about 1e-8 of 0; the imaginary part is ignored.
TComplex FnImp(std::span<const TComplex> Args) {
    return Truth(std::fabs(Arg(Args, 0).Re) < ImpThreshold);
}

// Half-wave rectifier.
TComplex FnDiode(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    return RealOnly(Real(Z.Re > 0 ? Z.Re : 0), Z);
}

// k/65000 of the argument, k drawn from the shared generator; a complex argument is refused
// before anything is drawn.
TComplex FnRand(std::span<const TComplex> Args) {
    const TComplex& Z = Arg(Args, 0);
    RequireReal(Z);
    const long double Fraction = static_cast<long double>(RandInt(RandSteps)) / RandSteps;
    return Real(Fraction * Z.Re);
}

// sin(pi*z) / (pi*z) through the callbacks; Sinc(0) divides 0 by 0.
TComplex FnSinc(std::span<const TComplex> Args) {
    const TComplex Scaled = OpMultiply(Arg(Args, 0), Real(Pi));
    return OpDivide(FnSin(Single(Scaled)), Scaled);
}

} // namespace zoZezo
