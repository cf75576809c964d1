// The engine runs built-in operators and functions in place instead of calling them. Each such
// step must give the very bits its callback gives (signed zeros and NaNs included), raise what
// the callback raises, and give way to whatever callback the host puts in the entry instead.

#include "EvaluatorFixture.h"

#include <cstring>
#include <limits>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

constexpr long double Inf = std::numeric_limits<long double>::infinity();
constexpr long double NaN = std::numeric_limits<long double>::quiet_NaN();

// Operands that reach every branch of the fast paths: signed zeros, the bounds of the real
// sine and cosine shortcuts, whole and fractional exponents, non-finite and complex values.
const std::vector<TComplex> Samples = {
    {0.0L, 0.0L},  {-0.0L, 0.0L}, {0.0L, -0.0L}, {1, 0},          {-2, 0},         {0.5L, 0},
    {3, 0},        {-3.5L, 0},    {1.5L, 0},     {1.5000001L, 0}, {3.0000001L, 0}, {-1e4000L, 0},
    {1e-4940L, 0}, {Inf, 0},      {-Inf, 0},     {NaN, 0},        {2, -0.0L},      {1, 2},
    {-0.5L, 3},    {0, 1},        {2, NaN},
};

// Both parts bit for bit: the ten bytes of each extended real.
bool SameBits(const TComplex& A, const TComplex& B) {
    return std::memcmp(&A.Re, &B.Re, 10) == 0 && std::memcmp(&A.Im, &B.Im, 10) == 0;
}

std::string Show(const TComplex& Z) {
    return "(" + std::to_string(static_cast<double>(Z.Re)) + ", " +
           std::to_string(static_cast<double>(Z.Im)) + ")";
}

// What a computation gives: its value, or the message it raised.
struct TOutcome {
    TComplex Value;
    std::string Error;
};

template <class Action>
TOutcome Outcome(Action Run) {
    try {
        return {Run(), {}};
    } catch (const EzoZezoEvaluatorError& Error) {
        return {{}, Error.what()};
    }
}

void ExpectSame(const TOutcome& Engine, const TOutcome& Callback, const std::string& What) {
    EXPECT_EQ(Engine.Error, Callback.Error) << What;
    if (Engine.Error.empty()) {
        EXPECT_TRUE(SameBits(Engine.Value, Callback.Value))
            << What << ": " << Show(Engine.Value) << " instead of " << Show(Callback.Value);
    }
}

} // namespace

class FastPathTest : public EvaluatorFixture {
protected:
    FastPathTest() {
        Evaluator.Variables().Add("a", &A.Re, &A.Im);
        Evaluator.Variables().Add("b", &B.Re, &B.Im);
    }

    TOutcome Run(TEquation& Equation) {
        return Outcome([&] { return Equation.ComputeC(); });
    }

    TComplex A, B;
};

TEST_F(FastPathTest, OperatorsGiveTheCallbacksBits) {
    const std::vector<std::pair<const char*, TOperatorCallback>> Operators = {
        {"^", OpPower},      {"*", OpMultiply},  {"/", OpDivide}, {"+", OpAdd},
        {"-", OpSubtract},   {">", OpGreater},   {"<", OpLess},   {">=", OpGreaterEqual},
        {"<=", OpLessEqual}, {"<>", OpNotEqual}, {"=", OpEqual},  {" and ", OpAnd},
        {" or ", OpOr},      {" xor ", OpXor},
    };
    for (const auto& [Symbol, Callback] : Operators) {
        // The right operand consumed at once, and taken off the stack.
        auto& Joined = Compile(std::string("r: a") + Symbol + "b");
        auto& Stacked = Compile(std::string("r: a") + Symbol + "Neg(Neg(b))");
        for (const TComplex& Left : Samples)
            for (const TComplex& Right : Samples) {
                A = Left, B = Right;
                const TOutcome Expected = Outcome([&] { return Callback(Left, Right); });
                const std::string What = Show(Left) + Symbol + Show(Right);
                ExpectSame(Run(Joined), Expected, What);
                ExpectSame(Run(Stacked), Expected, What);
            }
    }
}

// c outer (a inner b) runs as one step, the inner value never stored.
TEST_F(FastPathTest, OperatorPairsGiveTheCallbacksBits) {
    TComplex C;
    Evaluator.Variables().Add("c", &C.Re, &C.Im);
    const std::vector<std::pair<const char*, TOperatorCallback>> Inner = {
        {"+", OpAdd}, {"-", OpSubtract}, {"*", OpMultiply}, {"/", OpDivide}, {"^", OpPower}};
    const std::vector<std::pair<const char*, TOperatorCallback>> Outer = {
        {"+", OpAdd}, {"-", OpSubtract}, {"*", OpMultiply}, {"/", OpDivide}};
    for (const auto& [InnerSymbol, InnerCallback] : Inner)
        for (const auto& [OuterSymbol, OuterCallback] : Outer) {
            const bool Power = InnerCallback == OpPower; // with a literal exponent, as x^2
            auto& Pair = Compile(std::string("r: c") + OuterSymbol + "(a" + InnerSymbol +
                                 (Power ? "3)" : "b)"));
            for (const TComplex& First : Samples)
                for (const TComplex& Second : Samples) {
                    C = First, A = Second, B = Power ? TComplex{3, 0} : Second;
                    const TOutcome Expected =
                        Outcome([&] { return OuterCallback(C, InnerCallback(A, B)); });
                    ExpectSame(Run(Pair), Expected,
                               Show(C) + OuterSymbol + "(" + Show(A) + InnerSymbol + Show(B) + ")");
                }
        }
}

// c outer F(a) runs as one step too, F(a) never stored.
TEST_F(FastPathTest, FunctionPairsGiveTheCallbacksBits) {
    TComplex C{0.25L, -0.0L};
    Evaluator.Variables().Add("c", &C.Re, &C.Im);
    const std::vector<std::pair<const char*, TFunctionCallback>> Functions = {
        {"Neg", FnNeg}, {"Exp", FnExp},   {"Sin", FnSin},   {"Cos", FnCos},
        {"Tan", FnTan}, {"Sqrt", FnSqrt}, {"ATan", FnATan},
    };
    const std::vector<std::pair<const char*, TOperatorCallback>> Outer = {
        {"+", OpAdd}, {"-", OpSubtract}, {"*", OpMultiply}, {"/", OpDivide}};
    for (const auto& [Name, Function] : Functions)
        for (const auto& [Symbol, Operator] : Outer) {
            auto& Pair = Compile(std::string("r: c") + Symbol + Name + "(a)");
            for (const TComplex& Argument : Samples) {
                A = Argument;
                ExpectSame(Run(Pair), Outcome([&] {
                               return Operator(C, Function({&Argument, 1}));
                           }),
                           std::string(Symbol) + Name + Show(Argument));
            }
        }
}

TEST_F(FastPathTest, LiteralExponentsGiveThePowersBits) {
    for (const char* Exponent : {"0", "-0", "1", "2", "3", "10", "16", "17", "2.5", "-2"}) {
        auto& Power = Compile(std::string("r: a^") + Exponent);
        const TComplex Right{ValExt(Exponent), 0};
        for (const TComplex& Left : Samples) {
            A = Left;
            ExpectSame(Run(Power), Outcome([&] { return OpPower(Left, Right); }),
                       Show(Left) + "^" + Exponent);
        }
    }
}

TEST_F(FastPathTest, FunctionsGiveTheCallbacksBits) {
    const std::vector<std::pair<const char*, TFunctionCallback>> Functions = {
        {"Neg", FnNeg}, {"Exp", FnExp},   {"Sin", FnSin},   {"Cos", FnCos},
        {"Tan", FnTan}, {"Sqrt", FnSqrt}, {"ATan", FnATan},
    };
    std::vector<TComplex> Arguments = Samples;
    for (long double X : {-100.0L, -4.0L, 2.0L, 1e10L, 0.7L, -0.7L})
        Arguments.push_back({X, 0});
    for (const auto& [Name, Callback] : Functions) {
        auto& Call = Compile(std::string("r: ") + Name + "(a)");
        for (const TComplex& Argument : Arguments) {
            A = Argument;
            ExpectSame(Run(Call), Outcome([&] {
                           return Callback({&Argument, 1});
                       }),
                       Name + Show(Argument));
        }
    }
}

// The host may put other callbacks into the built-in entries between runs, and back again.
TEST_F(FastPathTest, ReplacedCallbacksRunInstead) {
    auto& Sum = Compile("r: a+b");
    auto& Square = Compile("r: a^2");
    auto& Sine = Compile("r: Sin(a)");
    auto& Pair = Compile("r: b+a*a+a^2");
    auto& Call = Compile("r: b*Sin(a)");
    A = {0.5L, 0}, B = {2, 0};
    TOperator& Plus = *Evaluator.Operators().GetOperator(Evaluator.Operators().IndexOf("+"));
    TOperator& Power = *Evaluator.Operators().GetOperator(Evaluator.Operators().IndexOf("^"));
    TFunction& Sin = *Evaluator.Functions().GetFunction(Evaluator.Functions().IndexOf("Sin"));
    Plus.Callback = OpSubtract;
    Power.Callback = OpMultiply;
    Sin.Callback = FnCos;
    EXPECT_EQ(Sum.ComputeC(), Compl(-1.5L, 0));
    EXPECT_EQ(Square.ComputeC(), Compl(1, 0));
    EXPECT_EQ(Pair.ComputeC(), Compl(2 - 0.25L - 1, 0));
    EXPECT_TRUE(SameBits(Sine.ComputeC(), FnCos({&A, 1})));
    EXPECT_TRUE(SameBits(Call.ComputeC(), OpMultiply(B, FnCos({&A, 1}))));
    Plus.Callback = OpAdd;
    Power.Callback = OpPower;
    Sin.Callback = FnSin;
    EXPECT_EQ(Sum.ComputeC(), Compl(2.5L, 0));
    EXPECT_EQ(Square.ComputeC(), Compl(0.25L, 0));
    EXPECT_EQ(Pair.ComputeC(), Compl(2.5L, 0));
    EXPECT_TRUE(SameBits(Sine.ComputeC(), FnSin({&A, 1})));
    EXPECT_TRUE(SameBits(Call.ComputeC(), OpMultiply(B, FnSin({&A, 1}))));
}

// A built-in registered again under another name runs in place there too; one registered with
// another parameter count is called with all its arguments.
TEST_F(FastPathTest, BuiltinsAreKnownByCallbackNotByName) {
    Evaluator.Operators().Add("plus", 2, OpAdd);
    Evaluator.Functions().Add("Sine", 1, FnSin);
    Evaluator.Functions().Add("Pair", 2, FnSin);
    A = {0.25L, 0}, B = {4, 0};
    EXPECT_EQ(Value("r: a plus b"), Compl(4.25L, 0));
    EXPECT_TRUE(SameBits(Value("r: Sine(a)"), FnSin({&A, 1})));
    const TComplex Both[] = {A, B};
    EXPECT_TRUE(SameBits(Value("r: Pair(a;b)"), FnSin(Both)));
}
