// Functions and equations whose parameter count has changed since a caller was compiled: a
// smaller count takes that many of the top values, a function count outside 0 to 4 does
// nothing, and only a count larger than the call's arguments is refused.

#include "EvaluatorFixture.h"

#include <string>

using namespace zoZezo;

namespace {

// 100 plus the arguments' digits in order: (2;3) gives 123.
TComplex Digits(std::span<const TComplex> Args) {
    long double Value = 0;
    for (const TComplex& A : Args)
        Value = Value * 10 + A.Re;
    return {100 + (Args.empty() ? 0 : Value), 0};
}

class CountChange : public EvaluatorFixture {
protected:
    TFunction& Function(const char* Name, int ParamCount) {
        return *Evaluator.Functions().Add(Name, ParamCount, Digits);
    }
};

struct TCountCase {
    const char* Name;
    int Compiled, Now;
    const char* Text;
    long double Value; // what the text computes to once the count is Now
};

class FunctionCount : public CountChange, public testing::WithParamInterface<TCountCase> {};

// The stacks below the call: 10, then the arguments, then the call, then "*", which takes the
// two values on top whatever the call left.
TEST_P(FunctionCount, TakesTheTopValuesOrDoesNothing) {
    const TCountCase& Case = GetParam();
    TFunction& W = Function("W", Case.Compiled);
    TEquation& R = Compile(Case.Text);
    ASSERT_EQ(R.ErrorCode(), 0) << R.ErrorMsg();
    W.ParamCount = Case.Now;
    EXPECT_EQ(R.Compute(), Case.Value);
    W.ParamCount = Case.Compiled;
    EXPECT_EQ(R.Compute(), Compile(Case.Text).Compute()) << "back to the count compiled for";
}

INSTANTIATE_TEST_SUITE_P(
    Counts, FunctionCount,
    testing::Values(TCountCase{"Unchanged", 3, 3, "r: 10*W(1;2;3)", 10 * 223},
                    TCountCase{"Two", 3, 2, "r: 10*W(1;2;3)", 1 * 123},     // 10 1 123
                    TCountCase{"One", 3, 1, "r: 10*W(1;2;3)", 2 * 103},     // 10 1 2 103
                    TCountCase{"None", 3, 0, "r: 10*W(1;2;3)", 3 * 100},    // 10 1 2 3 100
                    TCountCase{"Negative", 3, -1, "r: 10*W(1;2;3)", 2 * 3}, // 10 1 2 3
                    TCountCase{"Five", 3, 5, "r: 10*W(1;2;3)", 2 * 3},
                    TCountCase{"FromNoCall", 5, 2, "r: 10*W(1;2;3;4;5)", 3 * 145},
                    TCountCase{"FromNoParameters", 0, -7, "r: 10*W(4)", 10 * 4}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(CountChange, ALargerCountIsRefused) {
    TFunction& W = Function("W", 2);
    TEquation& R = Compile("r: 10*W(1;2)");
    W.ParamCount = 3;
    try {
        (void)R.Compute();
        ADD_FAILURE() << "not refused";
    } catch (const EzoZezoEvaluatorError& Error) {
        EXPECT_STREQ(Error.what(), "Equation \"r\" cannot run: function 'W' it calls takes 3 "
                                   "parameters now, more than the 2 arguments of the call, since "
                                   "it was compiled; check the equation again");
    }
    EXPECT_FALSE(R.Check()); // compiled again, the call lacks an argument
}

// Every call leaves its three arguments and a result the code did not plan for: the computation
// needs more room than its compiled depth and gets it.
TEST_F(CountChange, LeftoverValuesGetRoomBeyondTheCompiledDepth) {
    TFunction& W = Function("W", 3);
    std::string Text = "r: W(1;2;3)";
    for (int K = 1; K < 300; ++K)
        Text += "+W(1;2;3)";
    TEquation& R = Compile(Text);
    W.ParamCount = 0;
    // the top: 1 2 3 100, then each term adds 100 to its last argument: 3 + 100 = 103
    EXPECT_EQ(R.Compute(), 103);
    EXPECT_EQ(R.Compute(), 103);
}

struct TEquationCase {
    const char* Name;
    const char* Callee; // f's text when the caller runs
    long double Value;
};

class EquationCount : public CountChange, public testing::WithParamInterface<TEquationCase> {};

TEST_P(EquationCount, TakesTheTopValues) {
    TEquation& F = Compile("f(a;b;c): a+b+c");
    TEquation& R = Compile("r: 10*f(1;2;3)");
    F.SetEquationStr(GetParam().Callee);
    ASSERT_TRUE(F.Check());
    EXPECT_EQ(R.Compute(), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Counts, EquationCount,
                         testing::Values(TEquationCase{"Same", "f(a;b;c): a*b*c", 10 * 6},
                                         TEquationCase{"Two", "f(a;b): a*b", 1 * 6},
                                         TEquationCase{"None", "f: 7", 3 * 7}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(CountChange, AnEquationWithMoreParametersIsRefused) {
    TEquation& F = Compile("f(a;b): a+b");
    TEquation& R = Compile("r: 10*f(1;2)");
    F.SetEquationStr("f(a;b;c): a+b+c");
    ASSERT_TRUE(F.Check());
    try {
        (void)R.Compute();
        ADD_FAILURE() << "not refused";
    } catch (const EzoZezoEvaluatorError& Error) {
        EXPECT_STREQ(Error.what(), "Equation \"r\" cannot run: equation 'f' it calls takes 3 "
                                   "parameters now, more than the 2 arguments of the call, since "
                                   "it was compiled; check the equation again");
    }
}

} // namespace
