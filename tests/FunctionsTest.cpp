#include "BuiltinsTestSupport.h"
#include "zoZezo/MathMsg.h"
#include "zoZezo/Platform.h"

#include <complex>
#include <limits>

using namespace zoZezo;

namespace {

constexpr TComplex J{0, 1};
constexpr long double Inf = std::numeric_limits<long double>::infinity();
constexpr long double NaN = std::numeric_limits<long double>::quiet_NaN();
const long double LnTwoPlusRootThree = std::log(2 + std::sqrt(3.0L));

struct TFunctionCase {
    const char* Label;
    TFunctionCallback F;
    TComplex Z, Want;
};

void ExpectExact(std::span<const TFunctionCase> Cases) {
    for (const TFunctionCase& C : Cases) {
        SCOPED_TRACE(C.Label);
        EXPECT_EQ(Call(C.F, C.Z), C.Want);
    }
}

// --- Elementary functions -------------------------------------------------------------------

const TFunctionCase ExactElementary[] = {
    {"Exp(0)", FnExp, {0}, {1}},
    {"Ln(1)", FnLn, {1}, {0}},
    {"Ln(-1)", FnLn, {-1}, {0, Pi}},
    {"Ln(1j)", FnLn, J, {0, Pi / 2}},
    {"Ln(-1j)", FnLn, {0, -1}, {0, -Pi / 2}},
    {"Abs(3+4j)", FnAbs, {3, 4}, {5}},
    {"Abs(-2)", FnAbs, {-2}, {2}},
    {"Re(3+4j)", FnRe, {3, 4}, {3}},
    {"Im(3+4j)", FnIm, {3, 4}, {4}},
    {"Neg(3+4j)", FnNeg, {3, 4}, {-3, -4}},
    {"Sqrt(4)", FnSqrt, {4}, {2}},
    {"Sqrt(0)", FnSqrt, {0}, {0}},
    {"Asin(1)", FnAsin, {1}, {Pi / 2}},
    {"ACos(1)", FnACos, {1}, {0}},
    {"ACos(-1)", FnACos, {-1}, {Pi}},
    {"Cosh(0)", FnCosh, {0}, {1}},
    {"Tanh(0)", FnTanh, {0}, {0}},
};

const TFunctionCase NearElementary[] = {
    {"Sqrt(3+4j)", FnSqrt, {3, 4}, {2, 1}},
    {"Sin(1j)", FnSin, J, {0, std::sinh(1.0L)}},
    {"Cos(1j)", FnCos, J, {std::cosh(1.0L), 0}},
    {"Sinh(1j)", FnSinh, J, {0, std::sin(1.0L)}},
    {"Tanh(1)", FnTanh, {1}, {std::tanh(1.0L)}},
    {"Tan(pi/4)", FnTan, {Pi / 4}, {1}},
    {"Exp(pi/2 j)", FnExp, {0, Pi / 2}, J},
    {"Asin(0.5)", FnAsin, {0.5L}, {Pi / 6}},
    {"Asin(2)", FnAsin, {2}, {Pi / 2, -LnTwoPlusRootThree}},
    {"ACos(2)", FnACos, {2}, {0, LnTwoPlusRootThree}},
    {"ATan(1)", FnATan, {1}, {Pi / 4}},
    {"ATan(2j)", FnATan, {0, 2}, {Pi / 2, std::log(3.0L) / 2}},
};

TEST(ElementaryFunctions, ExactResults) {
    ExpectExact(ExactElementary);
}

TEST(ElementaryFunctions, ResultsNearTheirValues) {
    for (const TFunctionCase& C : NearElementary) {
        SCOPED_TRACE(C.Label);
        EXPECT_TRUE(Near(Call(C.F, C.Z), C.Want));
    }
}

// The complex chains against the standard library's own complex functions.
TEST(ElementaryFunctions, AgreeWithStdComplexOffTheAxes) {
    using Std = std::complex<long double>;
    const struct {
        const char* Label;
        TFunctionCallback F;
        Std (*Reference)(const Std&);
    } Functions[] = {
        {"Exp", FnExp, std::exp},    {"Ln", FnLn, std::log},      {"Sqrt", FnSqrt, std::sqrt},
        {"Sin", FnSin, std::sin},    {"Cos", FnCos, std::cos},    {"Tan", FnTan, std::tan},
        {"Sinh", FnSinh, std::sinh}, {"Cosh", FnCosh, std::cosh}, {"Tanh", FnTanh, std::tanh},
        {"Asin", FnAsin, std::asin}, {"ACos", FnACos, std::acos}, {"ATan", FnATan, std::atan},
    };
    for (const auto& F : Functions)
        for (const TComplex Z : {TComplex{0.3L, -1.7L}, TComplex{-2, 0.5L}}) {
            SCOPED_TRACE(F.Label);
            const Std Want = F.Reference(Std(Z.Re, Z.Im));
            EXPECT_TRUE(Near(Call(F.F, Z), {Want.real(), Want.imag()}));
        }
}

TEST(ElementaryFunctions, RealSineAndCosineStayReal) {
    for (const long double X : {0.5L, -2.0L, 3.0L, 100.0L}) {
        EXPECT_EQ(Call(FnSin, {X}), TComplex{std::sin(X)});
        EXPECT_EQ(Call(FnCos, {X}), TComplex{std::cos(X)});
    }
}

// Results whose exact value has a zero part, which the stored pi makes tiny but not zero.
TEST(ElementaryFunctions, StoredPiLeavesTinyParts) {
    const TComplex MinusOne = Call(FnExp, {0, Pi});
    EXPECT_TRUE(Near(MinusOne, {-1}));
    EXPECT_NE(MinusOne.Im, 0);
    const TComplex RootOfMinusFour = Call(FnSqrt, {-4});
    EXPECT_TRUE(Near(RootOfMinusFour, {0, 2}));
    EXPECT_NE(RootOfMinusFour.Re, 0);
    const TComplex SincOne = Call(FnSinc, {1});
    EXPECT_NE(SincOne.Re, 0);
    EXPECT_LT(std::fabs(SincOne.Re), 1e-18L);
    const TComplex TanHalfPi = Call(FnTan, {Pi / 2});
    EXPECT_TRUE(std::isfinite(TanHalfPi.Re));
    EXPECT_GT(std::fabs(TanHalfPi.Re), 1e18L);
}

TEST(ElementaryFunctions, FaultsAreCarriedAsNonFiniteValues) {
    EXPECT_EQ(Call(FnLn, {0}).Re, -Inf);
    EXPECT_FALSE(std::isfinite(Call(FnATan, J).Re));
    EXPECT_FALSE(std::isfinite(Call(FnATan, {0, -1}).Re));
    EXPECT_EQ(Call(FnExp, {20000}).Re, Inf);
    EXPECT_TRUE(std::isnan(Call(FnSqrt, {NaN}).Re));
}

// --- Logic, integer and signal functions ----------------------------------------------------

const TFunctionCase ExactSignal[] = {
    {"Not(0)", FnNot, {0}, {1}},
    {"Not(5)", FnNot, {5}, {0}},
    {"Not(-0.001)", FnNot, {-0.001L}, {0}},
    {"U(0)", FnU, {0}, {1}},
    {"U(2)", FnU, {2}, {1}},
    {"U(-0.001)", FnU, {-0.001L}, {0}},
    {"Rect(0)", FnRect, {0}, {1}},
    {"Rect(0.5)", FnRect, {0.5L}, {1}},
    {"Rect(-0.5)", FnRect, {-0.5L}, {1}},
    {"Rect(0.6)", FnRect, {0.6L}, {0}},
    {"Imp(0)", FnImp, {0}, {1}},
    {"Imp(5e-9)", FnImp, {5e-9L}, {1}},
    {"Imp(1j)", FnImp, J, {1}},
    {"Imp(below threshold)", FnImp, {std::nextafter(ImpThreshold, 0.0L)}, {1}},
    {"Imp(threshold)", FnImp, {ImpThreshold}, {0}},
    {"Imp(-threshold)", FnImp, {-ImpThreshold}, {0}},
    {"Diode(3)", FnDiode, {3}, {3}},
    {"Diode(0)", FnDiode, {0}, {0}},
    {"Diode(-2)", FnDiode, {-2}, {0}},
    {"Round(2.4)", FnRound, {2.4L}, {2}},
    {"Round(2.5)", FnRound, {2.5L}, {2}},
    {"Round(3.5)", FnRound, {3.5L}, {4}},
    {"Round(-2.5)", FnRound, {-2.5L}, {-2}},
    {"Round(-2.6)", FnRound, {-2.6L}, {-3}},
    {"Int(2.7)", FnInt, {2.7L}, {2}},
    {"Int(-2.7)", FnInt, {-2.7L}, {-2}},
    {"Int(1e30)", FnInt, {1e30L}, {1e30L}},
    {"Odd(3)", FnOdd, {3}, {1}},
    {"Odd(2)", FnOdd, {2}, {0}},
    {"Odd(-3)", FnOdd, {-3}, {1}},
    {"Odd(2.5)", FnOdd, {2.5L}, {0}},
    {"Odd(3.5)", FnOdd, {3.5L}, {0}},
    // Beyond the 64-bit integers.
    {"Round(2^63-0.5)", FnRound, {0x1p63L - 0.5L}, {0x1p63L}},
    {"Round(-2^64)", FnRound, {-0x1p64L}, {-0x1p64L}},
    {"Round(inf)", FnRound, {Inf}, {Inf}},
    {"Odd(2^63+1)", FnOdd, {0x1p63L + 1}, {1}},
    {"Odd(2^64)", FnOdd, {0x1p64L}, {0}},
    {"Odd(inf)", FnOdd, {Inf}, {0}},
    {"Odd(NaN)", FnOdd, {NaN}, {0}},
};

TEST(SignalFunctions, ExactResults) {
    ExpectExact(ExactSignal);
}

TEST(SignalFunctions, ImpThresholdIsTheExtendedValueNearestTo1e8) {
    EXPECT_EQ(BitsOf(ImpThreshold).Significand, 0xABCC77118461CEFDu);
    EXPECT_EQ(BitsOf(ImpThreshold).Exponent, 0x3FE4u);
}

TEST(SignalFunctions, RoundCarriesNaN) {
    EXPECT_TRUE(std::isnan(Call(FnRound, {NaN}).Re));
}

TEST(SignalFunctions, IfCopiesTheChosenArgument) {
    const struct {
        TComplex Condition, Then, Else, Want;
    } Cases[] = {
        {{1}, {2}, {3}, {2}},
        {{0}, {2}, {3}, {3}},
        {{-0.5L}, {1, 2}, {0}, {1, 2}},
        {{0, 0}, {1}, {3, 4}, {3, 4}},
    };
    for (const auto& C : Cases) {
        const TComplex Args[] = {C.Condition, C.Then, C.Else};
        EXPECT_EQ(FnIf(Args), C.Want);
    }
}

TEST(SignalFunctions, SincIsNormalised) {
    EXPECT_TRUE(Near(Call(FnSinc, {0.5L}), {2 / Pi}));
    const TComplex Imaginary = Call(FnSinc, J);
    EXPECT_TRUE(Near(Imaginary, {std::sinh(Pi) / Pi}));
    EXPECT_EQ(Imaginary.Im, 0);
    EXPECT_TRUE(std::isnan(Call(FnSinc, {0}).Re));
}

TEST(SignalFunctions, RealOnlyFunctionsRefuseComplexArguments) {
    for (TFunctionCallback F : {FnNot, FnU, FnRect, FnDiode, FnRound, FnInt, FnOdd, FnRand})
        ExpectNotReal([&] { Call(F, {1, 1}); });
    const TComplex Args[] = {J, {2}, {3}};
    ExpectNotReal([&] { FnIf(Args); });
}

TEST(SignalFunctions, RandScalesAFractionOfSteps) {
    RandSeed(7);
    const long double First = RandInt(65000) / 65000.0L;
    RandSeed(7);
    EXPECT_EQ(Call(FnRand, {10}), TComplex{First * 10});
    for (int I = 0; I < 100; ++I) {
        const long double Draw = Call(FnRand, {10}).Re;
        EXPECT_TRUE(Draw >= 0 && Draw < 10);
        const long double Steps = Draw / 10 * 65000;
        EXPECT_NEAR(Steps, std::round(Steps), 1e-9L);
        EXPECT_LE(Call(FnRand, {-1}).Re, 0);
    }
    EXPECT_EQ(Call(FnRand, {0}), TComplex{});
}

TEST(SignalFunctions, RandRefusesBeforeDrawing) {
    RandSeed(11);
    const std::int32_t First = RandInt(65000);
    RandSeed(11);
    ExpectNotReal([] { Call(FnRand, {0, 2}); });
    EXPECT_EQ(Call(FnRand, {65000}).Re, First);
}

// --- Argument counts ------------------------------------------------------------------------

TEST(FunctionArguments, TooFewAreAnErrorNotARead) {
    const TComplex One[] = {{1}};
    try {
        FnIf(One);
        ADD_FAILURE() << "no error raised";
    } catch (const EzoZezoEvaluatorError& Error) {
        EXPECT_EQ(Error.Message(), MathMsg[10]);
    }
    EXPECT_THROW(FnNeg({}), EzoZezoEvaluatorError);
    const TComplex Extra[] = {{1}, {2}, {3}, {4}};
    EXPECT_EQ(FnIf(Extra), TComplex{2});
}

} // namespace
