#include "EvaluatorFixture.h"

#include <cmath>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

int Ticks = 0;
TComplex Tick(std::span<const TComplex> Args) {
    ++Ticks;
    return Args[0];
}
// Digits in argument order: (1;2;3;4) gives 1234.
TComplex Digits(std::span<const TComplex> Args) {
    long double Value = 0;
    for (const TComplex& A : Args)
        Value = Value * 10 + A.Re;
    return {Value, static_cast<long double>(Args.size())};
}
TComplex Fail(std::span<const TComplex>) {
    throw EzoZezoEvaluatorError("host failure");
}

TEquation* Reentrant = nullptr;
TComplex ComputeOther(std::span<const TComplex> Args) {
    return {Reentrant->ComputeArgsC(Args).Re + 1, 0};
}

} // namespace

class EngineTest : public EvaluatorFixture {};

TEST_F(EngineTest, WorkedExample) {
    auto& F = Compile("f(a;b): a*b+1");
    auto& Y = Compile("y: 2*f(x;3)-pi");
    EXPECT_EQ(Describe(Y), "2 x 3 @f * pi -");
    EXPECT_DOUBLE_EQ(static_cast<double>(Y.Compute()), 22.858407346410207);
    EXPECT_EQ(Y.ComputeC().Im, 0);
    EXPECT_EQ(F.LocalConstants().GetConstant(0)->Re, 4);
    EXPECT_EQ(F.LocalConstants().GetConstant(1)->Re, 3);
}

TEST_F(EngineTest, ArithmeticValues) {
    const struct {
        const char* Text;
        long double Re, Im;
    } Cases[] = {
        {"z: (1+2j)*3j", -6, 3}, {"y: 2-3-4", -5, 0},       {"y: 8/2/2", 2, 0},
        {"y: 2^10", 1024, 0},    {"y: -2^2", 4, 0},         {"y: 7\\3", 1, 0},
        {"y: x*y", 8, 0},        {"y: If(0;1;2+3j)", 2, 3}, {"y: 3 > 2 and 1", 1, 0},
        {"y: 1e3j/1000", 0, 1},  {"y: Abs(3+4j)", 5, 0},    {"", 0, 0},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Value(Case.Text), Compl(Case.Re, Case.Im)) << Case.Text;
}

TEST_F(EngineTest, ReadsCellsAndConstantsAtRunTime) {
    auto& K = *Evaluator.Constants().Add("k", 1.0L, 0.0L);
    auto& Equation = Compile("y: x + k + y");
    EXPECT_EQ(Equation.ComputeC(), Compl(7, 0));
    X = 5;
    XIm = -1;
    K.Re = 10;
    EXPECT_EQ(Equation.ComputeC(), Compl(17, -1)); // y has no imaginary cell: 0
    Evaluator.Variables().GetVariable(0)->RePtr = nullptr;
    EXPECT_EQ(Equation.ComputeC(), Compl(12, -1));
}

TEST_F(EngineTest, ArgumentsBindByPosition) {
    auto& F = Compile("f(a;b): a*10+b");
    const long double Three[] = {1, 2, 3};
    EXPECT_EQ(F.ComputeArgs(Three), 12);
    const long double One[] = {4};
    EXPECT_EQ(F.ComputeArgs(One), 40); // a missing argument is 0
    EXPECT_EQ(F.Compute(), 0);
    const TComplex Complex[] = {{1, 1}, {0, 2}};
    EXPECT_EQ(F.ComputeArgsC(Complex), Compl(10, 12));
}

TEST_F(EngineTest, CallbacksReceiveArgumentsInTextOrder) {
    for (int Count = 1; Count <= 4; ++Count)
        Evaluator.Functions().Add("D" + std::to_string(Count), Count, &Digits);
    EXPECT_EQ(Value("y: D1(7)"), Compl(7, 1));
    EXPECT_EQ(Value("y: D2(1;2)"), Compl(12, 2));
    EXPECT_EQ(Value("y: D3(1;2;3)"), Compl(123, 3));
    EXPECT_EQ(Value("y: D4(1;2;3;4)"), Compl(1234, 4));
    EXPECT_EQ(Value("y: 2*D4(1;2+1;-3;x)"), Compl(2 * (1000 + 300 - 30 + 4), 8));
}

TEST_F(EngineTest, FunctionsOfOtherCountsDoNothing) {
    Evaluator.Functions().Add("Five", 5, &Digits);
    EXPECT_EQ(Value("y: Five(1;2;3;4;5)"), Compl(5, 0)); // the last argument stays on top
}

TEST_F(EngineTest, ReferencedEquationsRunAtEveryReference) {
    Evaluator.Functions().Add("Tick", 1, &Tick);
    Compile("t: Tick(2)");
    auto& U = Compile("u: t*t");
    Ticks = 0;
    EXPECT_EQ(U.Compute(), 4);
    EXPECT_EQ(Ticks, 2);
}

TEST_F(EngineTest, FaultyEquationsYieldZeroAndShowTheirMessage) {
    auto& Bad = Compile("y: 1+");
    EXPECT_EQ(Bad.Compute(), 0);
    EXPECT_EQ(Bad.ComputeC(), Compl(0, 0));
    EXPECT_EQ(Messages, "Incomplete expression|Incomplete expression|");

    Messages.clear();
    auto& G = Compile("g: 2");
    auto& H = Compile("h: g+1");
    G.SetEquationStr("g: zz");
    EXPECT_EQ(H.Compute(), 1); // the faulty callee contributes 0
    EXPECT_EQ(Messages, "Identifier not defined|");
}

TEST_F(EngineTest, CallbackErrorsPassThroughNestedRuns) {
    Evaluator.Functions().Add("Fail", 1, &Fail);
    Compile("inner(a): Fail(a)");
    auto& Outer = Compile("outer: 1 + inner(2)");
    EXPECT_THROW((void)Outer.Compute(), EzoZezoEvaluatorError);
    EXPECT_EQ(Messages, "");
    EXPECT_THROW((void)Compile("y: Not(1j)").Compute(), EzoZezoEvaluatorError);
    try {
        (void)Compile("y: 1j > 0").Compute();
        FAIL();
    } catch (const EzoZezoEvaluatorError& Error) {
        EXPECT_STREQ(Error.what(), "Number must be real");
    }
}

TEST_F(EngineTest, CallbacksMayComputeOtherEquations) {
    Reentrant = &Compile("sq(a): a*a");
    Evaluator.Functions().Add("Other", 1, &ComputeOther);
    EXPECT_EQ(Value("y: Other(3) + sq(2)"), Compl(14, 0));
}

TEST_F(EngineTest, StacksGrowWithTheCode) {
    std::string Text = "y: 1";
    for (int K = 0; K < 200; ++K)
        Text += "+(1";
    Text += std::string(200, ')');
    auto& Deep = Compile(Text);
    EXPECT_GT(Deep.StackDepth(), 50);
    EXPECT_EQ(Deep.Compute(), 201);

    std::string Header = "f(", Call = "y: f(", Sum;
    for (int K = 0; K < 25; ++K) {
        Header += (K ? ";p" : "p") + std::to_string(K);
        Call += (K ? ";" : "") + std::to_string(K);
        Sum += (K ? "+p" : "p") + std::to_string(K);
    }
    Compile(Header + "): " + Sum);
    EXPECT_EQ(Compile(Call + ")").Compute(), 300);
}

TEST_F(EngineTest, StaleCodeIsRefused) {
    auto& UsesX = Compile("a: x+1");
    auto& UsesK = Compile("b: pi");
    auto& UsesF = Compile("c: Sin(1)");
    Compile("g(p): p");
    auto& UsesG = Compile("d: g(1)");
    Evaluator.Variables().Clear();
    Evaluator.Constants().Clear();
    Evaluator.Functions().GetFunction(Evaluator.Functions().IndexOf("Sin"))->ParamCount = 2;
    Evaluator.Equations().GetEquation(3)->SetEquationStr("g(p;q): p");
    Evaluator.Equations().GetEquation(3)->Check();
    for (TEquation* Stale : {&UsesX, &UsesK, &UsesF, &UsesG}) {
        try {
            (void)Stale->Compute();
            ADD_FAILURE() << Stale->EquationStr();
        } catch (const EzoZezoEvaluatorError& Error) {
            EXPECT_NE(std::string(Error.what()).find("check the equation again"),
                      std::string::npos);
        }
    }
    Evaluator.Equations().Delete(3);
    EXPECT_THROW((void)UsesG.Compute(), EzoZezoEvaluatorError);
}

TEST_F(EngineTest, SelfRecursionStopsWithAClearError) {
    auto& F = Compile("f(n): n");
    F.SetEquationStr("f(n): f(n-1)");
    ASSERT_TRUE(F.Check());
    try {
        (void)F.Compute();
        FAIL();
    } catch (const EzoZezoEvaluatorError& Error) {
        EXPECT_NE(std::string(Error.what()).find("levels deep"), std::string::npos);
    }
}

TEST_F(EngineTest, FloatingPointFaultsCarryIntoTheResult) {
    EXPECT_TRUE(std::isnan(Value("y: 1/0").Re));
    EXPECT_TRUE(std::isinf(Value("y: 0^-1").Re));
    EXPECT_TRUE(std::isinf(Value("y: Ln(0)").Re));
}
