// Inputs of extreme size and shape: each computes correctly or gets a clear error, and the
// suite finishing in its usual time shows that none takes more than time linear in its size.

#include "FuzzSupport.h"
#include "zoZezo/zoZezo.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace zoZezo;

std::string Repeat(std::string_view Piece, std::size_t Count) {
    std::string Text;
    Text.reserve(Piece.size() * Count);
    for (std::size_t K = 0; K < Count; ++K)
        Text += Piece;
    return Text;
}

constexpr std::size_t HundredThousand = 100'000;

class ResourceBounds : public testing::Test {
protected:
    ResourceBounds() : FPrevious(SetMessageHandler([](const std::string&) {})) {
        Evaluator.Variables().Add("x", &X, nullptr);
    }
    ~ResourceBounds() override { SetMessageHandler(FPrevious); }

    TEquation& Compile(std::string Text) {
        TEquation& Equation = *Evaluator.Equations().Add(std::move(Text));
        Equation.Check();
        return Equation;
    }

    // Compiles Text and expects the error ErrorCode, or, when that is 0, a class for every
    // character and the value Value.
    void ExpectOutcome(std::string Text, int ErrorCode, long double Value) {
        TEquation& Equation = Compile(std::move(Text));
        EXPECT_EQ(Equation.ErrorCode(), ErrorCode) << Equation.ErrorMsg();
        if (ErrorCode == 0) {
            EXPECT_EQ(Equation.CharClasses().size(), Equation.EquationStr().size());
            EXPECT_EQ(Equation.Compute(), Value);
        }
    }

    TzoZezoEvaluator Evaluator;
    long double X = 2;

private:
    TMessageHandler FPrevious;
};

// Every table of cases names its cases; the name stands for the case in the test's name.
template <class Case>
requires requires(const Case& C) {
    C.Name;
}
void PrintTo(const Case& C, std::ostream* Out) {
    *Out << C.Name;
}

// "f(p0;p1;...)" with Count parameters.
std::string Header(const std::string& Name, int Count) {
    std::string Text = Name + "(p0";
    for (int K = 1; K < Count; ++K)
        Text += ";p" + std::to_string(K);
    return Text + ")";
}

TEST_F(ResourceBounds, HeaderTakesAtMost255Parameters) {
    ASSERT_TRUE(Compile(Header("f", 255) + ": p254").Check());
    std::string Call = "g: f(0";
    for (int K = 1; K < 255; ++K)
        Call += ";" + std::to_string(K);
    EXPECT_EQ(Compile(Call + ")").Compute(), 254);
    for (int Count : {256, 100'000}) {
        const TEquation& TooWide = Compile(Header("h", Count) + ": p0");
        EXPECT_EQ(TooWide.ErrorCode(), 11) << Count;
        // at the character that ends the 256th parameter
        EXPECT_EQ(TooWide.ErrorPos(), static_cast<int>(Header("h", 256).size())) << Count;
    }
}

// A text, and what compiling it gives: an error code, or 0 and the value it computes. The
// text is made when the case runs, not for every case of the suite when the program starts.
struct TCase {
    const char* Name;
    std::string (*Text)();
    int ErrorCode;
    long double Value = 0;
};

std::string NameOf(const testing::TestParamInfo<TCase>& Info) {
    return Info.param.Name;
}

class ExtremeText : public ResourceBounds, public testing::WithParamInterface<TCase> {};

TEST_P(ExtremeText, ComputesOrFailsClearly) {
    const TCase& Case = GetParam();
    ExpectOutcome(Case.Text(), Case.ErrorCode, Case.Value);
}

constexpr std::size_t TenMegabytes = 10'000'000;

INSTANTIATE_TEST_SUITE_P(
    TenMegabyteLine, ExtremeText,
    testing::Values(
        TCase{"Comment", [] { return "y: x {" + Repeat("c", TenMegabytes) + "}"; }, 0, 2},
        // numbers of a thousand digits, each taken away again: ((a - a) + a) - a ... + 1
        TCase{"LongNumbers",
              [] {
                  const std::string Number(1000, '1');
                  return "y: " + Repeat(Number + "-" + Number + "+", TenMegabytes / 2002) + "1";
              },
              0, 1},
        // ten million zeros after the point: the number underflows to 0, not to infinity
        TCase{"TinyNumber", [] { return "y: 0." + Repeat("0", TenMegabytes) + "1"; }, 0, 0},
        TCase{"UnknownName", [] { return "y: " + Repeat("a", TenMegabytes); }, 9}),
    NameOf);

// The editor adds and checks the lines of its text one by one; each line here calls a line far
// above it.
TEST_F(ResourceBounds, HundredThousandLinesCallingEarlierOnes) {
    ASSERT_EQ(Compile("v0: x").ErrorCode(), 0);
    for (std::size_t K = 1; K < HundredThousand; ++K) {
        const TEquation& Line =
            Compile("v" + std::to_string(K) + ": v" + std::to_string(K / 10) + "+1");
        ASSERT_EQ(Line.ErrorCode(), 0) << Line.EquationStr();
    }
    // v99999 calls v9999, which calls v999, down to v0 = x
    EXPECT_EQ(Evaluator.Equations().GetEquation(HundredThousand - 1)->Compute(), 2 + 5);
}

// The name index behind those lookups follows every change of the list.
TEST_F(ResourceBounds, FindsEquationsByNameAfterEveryChange) {
    TEquations& List = Evaluator.Equations();
    TEquation& First = Compile("a: 1");
    Compile("b: 2");
    Compile("A: 3");
    EXPECT_EQ(List.FunctionIndexByName("A"), 0);
    First.SetEquationStr("c: 1");
    ASSERT_TRUE(First.Check());
    EXPECT_EQ(List.FunctionIndexByName("a"), 2);
    EXPECT_EQ(List.FunctionIndexByName("C"), 0);
    List.Delete(0);
    EXPECT_EQ(List.FunctionIndexByName("a"), 1);
    EXPECT_EQ(List.FunctionIndexByName("c"), -1);
    List.Add("d: 4"); // not compiled, so not named yet
    EXPECT_EQ(List.FunctionIndexByName("d"), -1);
    EXPECT_EQ(List.FunctionIndexByName(""), 2);
    List.Clear();
    EXPECT_EQ(List.FunctionIndexByName("b"), -1);
}

TEST_F(ResourceBounds, EquationsCallingEachOtherTenThousandDeep) {
    constexpr int Depth = 10'000;
    Compile("e0: 1");
    for (int K = 1; K < Depth; ++K)
        ASSERT_TRUE(
            Compile("e" + std::to_string(K) + ": e" + std::to_string(K - 1) + "+1").Check());
    EXPECT_EQ(Evaluator.Equations().GetEquation(Depth - 1)->Compute(), Depth);
}

// Each line names the line before ten times: the runs multiply by ten per line.
TEST_F(ResourceBounds, CallsThatMultiplyAreRefused) {
    Compile("e0: 1");
    for (int K = 1; K <= 12; ++K) {
        const std::string Before = "e" + std::to_string(K - 1);
        ASSERT_TRUE(
            Compile("e" + std::to_string(K) + ": " + Before + Repeat("+" + Before, 9)).Check());
    }
    EXPECT_EQ(Evaluator.Equations().GetEquation(5)->Compute(), 100'000);
    Evaluator.SetRunBudget(1'000'000); // the default would take seconds to reach
    EXPECT_THROW((void)Evaluator.Equations().GetEquation(12)->Compute(), EzoZezoEvaluatorError);
}

INSTANTIATE_TEST_SUITE_P(
    HundredThousandNestedParentheses, ExtremeText,
    testing::Values(
        TCase{"Groups",
              [] {
                  return "y: " + Repeat("(", HundredThousand) + "1" + Repeat(")", HundredThousand);
              },
              ErrNestingTooDeep},
        TCase{"Calls",
              [] {
                  return "y: " + Repeat("Sin(", HundredThousand) + "1" +
                         Repeat(")", HundredThousand);
              },
              ErrNestingTooDeep},
        TCase{"Negations",
              [] {
                  return "y: " + Repeat("-(", HundredThousand) + "1" + Repeat(")", HundredThousand);
              },
              ErrNestingTooDeep},
        TCase{"Unclosed", [] { return "y: " + Repeat("(", HundredThousand) + "1"; }, 12},
        TCase{"InComments", [] { return "y: {" + Repeat("(", HundredThousand) + "} x"; }, 0, 2}),
    NameOf);

INSTANTIATE_TEST_SUITE_P(
    HundredThousandChainedOperators, ExtremeText,
    testing::Values(
        TCase{"Minus", [] { return "y: " + Repeat("1-", HundredThousand) + "1"; }, 0,
              1.0L - HundredThousand},
        TCase{"Negations", [] { return "y: 1" + Repeat("*-1", HundredThousand + 1); }, 0, -1},
        TCase{"Priorities", [] { return "y: " + Repeat("1+2*3^1-", HundredThousand / 4) + "0"; }, 0,
              7 + 5 * (HundredThousand / 4 - 1)},
        TCase{"Comparisons", [] { return "y: 1" + Repeat("<2", HundredThousand); }, 0, 1},
        TCase{"Words", [] { return "y: 1" + Repeat(" and x", HundredThousand); }, 0, 1},
        TCase{"Powers", [] { return "y: " + Repeat("2^", HundredThousand) + "1"; }, 0, INFINITY}),
    NameOf);

// e0: 1, eK: e(K-1)+e(K-1): e20 runs 2^21 - 1 equations and computes to 2^20.
TEST_F(ResourceBounds, RunBudgetLetsLongComputationsFinishAndIsTheHostsToSet) {
    Compile("e0: 1");
    for (int K = 1; K <= 20; ++K) {
        const std::string Before = "e" + std::to_string(K - 1);
        ASSERT_TRUE(Compile("e" + std::to_string(K) + ": " + Before + "+" + Before).Check());
    }
    TEquation& E20 = *Evaluator.Equations().GetEquation(20);
    EXPECT_EQ(Evaluator.RunBudget(), 100'000'000u);
    EXPECT_EQ(E20.Compute(), 1 << 20);
    Evaluator.SetRunBudget((1 << 21) - 1);
    EXPECT_EQ(E20.Compute(), 1 << 20);
    Evaluator.SetRunBudget((1 << 21) - 2);
    try {
        (void)E20.Compute();
        ADD_FAILURE() << "not refused";
    } catch (const EzoZezoRunBudgetError& Error) {
        EXPECT_EQ(Error.Runs(), (1u << 21) - 2);
        EXPECT_STREQ(Error.what(),
                     "The computation would run equations more than 2097150 times, the "
                     "evaluator's run budget; equations call each other too often, or the budget "
                     "is too small for this computation: raise it with SetRunBudget");
    }
    EXPECT_EQ(Evaluator.Equations().GetEquation(19)->Compute(), 1 << 19); // usable after
}

TEST_F(ResourceBounds, SelfRecursionIsRefused) {
    TEquation& F = Compile("f(n): n");
    F.SetEquationStr("f(n): f(n-1)");
    ASSERT_TRUE(F.Check());
    EXPECT_THROW((void)F.Compute(), EzoZezoEvaluatorError);
}

TEST_F(ResourceBounds, MutualRecursionIsRefused) {
    TEquation& F = Compile("f: 1");
    TEquation& G = Compile("g: f+1");
    F.SetEquationStr("f: g");
    ASSERT_TRUE(F.Check());
    EXPECT_THROW((void)G.Compute(), EzoZezoEvaluatorError);
}

// Syntax characters, in order: DecimalPoint, Imaginary, OpenParentesis, CloseParentesis,
// Separator, OpenComment, CloseComment.
struct TSyntaxCase {
    const char* Name;
    const char* Syntax;
    const char* Text;
    int ErrorCode;
    long double Value = 0;
};

class OddSyntax : public ResourceBounds, public testing::WithParamInterface<TSyntaxCase> {};

TEST_P(OddSyntax, ComputesOrFailsClearly) {
    const TSyntaxCase& Case = GetParam();
    const auto Characters = fuzz::SyntaxCharacters(Evaluator);
    for (std::size_t K = 0; K < Characters.size(); ++K)
        *Characters[K] = Case.Syntax[K];
    ExpectOutcome(Case.Text, Case.ErrorCode, Case.Value);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, OddSyntax,
    testing::Values(
        // 'x' opens a comment before anything else can read it
        TSyntaxCase{"AllTheSame", "xxxxxxx", "y: 1x5", 0, 1},
        // the blank after the colon opens a comment, so the expression is missing
        TSyntaxCase{"AllBlanks", "       ", "y: 1 5", 14},
        TSyntaxCase{"Letters", "abcdefg", "y: 1a5", 0, 1.5L},
        TSyntaxCase{"LettersHideNames", "abcdefg", "y: Sinc0d", 9},
        // the name z3 ends with the OpenParentesis character and is still a name
        TSyntaxCase{"Digits", "1234567", "y: 8+z3", 9},
        TSyntaxCase{"DigitsAsNumbers", "1234567", "y: 8+9", 0, 17},
        TSyntaxCase{"ColonOpens", ":j:);{}", "y: Sin(x)", 1},
        TSyntaxCase{"Brackets", ",i[]|<>", "y: 1,5+If[x|2|3] <note>", 0, 3.5L}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// OnAcceptLabel answers every question with the same position.
struct TLabelCase {
    const char* Name;
    int Position;
    const char* Text;
    int ErrorCode;
    long double Value = 0;
};

class NonsenseLabels : public ResourceBounds, public testing::WithParamInterface<TLabelCase> {};

TEST_P(NonsenseLabels, ComputeOrFailClearly) {
    const TLabelCase& Case = GetParam();
    Evaluator.OnAcceptLabel = [&](TEquation*, const std::string&, TLabelType, int& Position) {
        Position = Case.Position;
    };
    ExpectOutcome(Case.Text, Case.ErrorCode, Case.Value);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, NonsenseLabels,
    testing::Values(TLabelCase{"Largest", INT_MAX, "y: x", 9},
                    TLabelCase{"Smallest", INT_MIN, "y: x", 9},
                    // past the one variable and the two constants
                    TLabelCase{"PastTheEnd", 2, "y: x", 9},
                    TLabelCase{"LargestFunction", INT_MAX, "y: Sin(1)", 8},
                    TLabelCase{"PastTheFunctions", 27, "y: Sin(1)", 8},
                    // position 0 is the variable x, and the function Neg
                    TLabelCase{"FirstEntry", 0, "y: x+Sin(3)", 0, -1},
                    // position 0 among the constants is e: a constant then hides nothing
                    TLabelCase{"FirstConstant", 0, "y: e", 0, 2}),
    [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
