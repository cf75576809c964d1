#include "EvaluatorFixture.h"

#include <string>
#include <vector>

using namespace zoZezo;

namespace {

struct ErrorCase {
    const char* Text;
    int Code;
    int Pos;
};

struct CodeCase {
    const char* Text;
    const char* Code;
};

} // namespace

class CompilerTest : public EvaluatorFixture {
protected:
    void ExpectErrors(const std::vector<ErrorCase>& Cases) {
        for (const auto& Case : Cases) {
            auto& Equation = Compile(Case.Text);
            EXPECT_EQ(Equation.ErrorCode(), Case.Code) << Case.Text;
            EXPECT_EQ(Equation.ErrorPos(), Case.Pos) << Case.Text;
            EXPECT_EQ(Equation.ErrorMsg(), MathMsg[static_cast<std::size_t>(Case.Code)])
                << Case.Text;
        }
    }
    void ExpectCode(const std::vector<CodeCase>& Cases) {
        for (const auto& Case : Cases) {
            auto& Equation = Compile(Case.Text);
            EXPECT_EQ(Equation.ErrorCode(), 0) << Case.Text << ": " << Equation.ErrorMsg();
            EXPECT_EQ(Describe(Equation), Case.Code) << Case.Text;
            EXPECT_EQ(Equation.CharClasses().size(), std::string(Case.Text).size()) << Case.Text;
        }
    }
};

TEST_F(CompilerTest, HeaderErrors) {
    ExpectErrors({
        {"2*x", 1, 1},
        {"y$: 1", 1, 2},
        {"f(1): 1", 1, 3},
        {"f(a$): a", 1, 4},
        {"f (x): x", 2, 3},
        {"f(x) x", 2, 6},
        {"f(a b): a", 3, 5},
        {"f(a;a): a", 18, 6},
        {"F(a;A): a", 18, 6},
        {"y", 14, 2},
        {"y ", 14, 3},
        {"y:", 14, 3},
        {"f(x)", 14, 5},
        {"y:  ", 14, 5},
    });
}

TEST_F(CompilerTest, ExpressionErrors) {
    ExpectErrors({
        {"y: *2", 4, 4},       {"y: x $", 5, 6},       {"y: x and$", 5, 9},    {"y: 2x", 6, 5},
        {"y: 1E5", 6, 5},      {"y: 5.e3", 6, 6},      {"y: 1.5.2", 6, 7},     {"y: 1e+x", 7, 7},
        {"y: 1e5x", 7, 7},     {"y: foo(1)", 8, 7},    {"y: zz", 9, 6},        {"y: zz+1", 9, 6},
        {"y: If(x;1)", 10, 9}, {"y: Sin(x;1)", 11, 9}, {"y: x;y", 11, 5},      {"y: (x;y)", 11, 6},
        {"y: (x", 12, 4},      {"y: ()", 13, 4},       {"y: ( )", 15, 5},      {"y: (x+)", 15, 6},
        {"y: 2+", 15, 6},      {"y: 2 x", 15, 7},      {"y: -", 15, 5},        {"y: 1.", 16, 6},
        {"y: 1e", 16, 6},      {"y: 1e-", 16, 7},      {"y: x mod 2", 17, 10}, {"y: x<>=y", 17, 8},
        {"y: sin (x)", 9, 7},  {"y: 2*(x+zz)", 9, 10}, {"y: Sin(", 12, 7},     {"y: x+{(}(", 12, 9},
        {"y: x<>=", 15, 8}, // the end's check replaces the unknown operator's error
    });
}

TEST_F(CompilerTest, EmptyTextsCompileToNothing) {
    for (const char* Text : {"", "   ", "{just a remark}", "{unclosed"}) {
        auto& Equation = Compile(Text);
        EXPECT_TRUE(Equation.Checked());
        EXPECT_EQ(Equation.ErrorCode(), 0) << Text;
        EXPECT_EQ(Equation.ErrorMsg(), "Ok");
        EXPECT_EQ(Equation.FirstInstruction(), nullptr);
    }
}

TEST_F(CompilerTest, WorkedExample) {
    auto& P = Compile("p(x): 3.5*x^2 - Sin(x) + 1.5e-3j");
    EXPECT_EQ(Describe(P), "3.5 $x 2 ^ * $x Sin - 0.0015j +");
    EXPECT_EQ(P.CharClasses(), "21211133312131112221211113333331");
    EXPECT_EQ(P.FunctionName(), "p");
    ASSERT_EQ(P.LocalConstants().Count(), 1);
    EXPECT_EQ(P.LocalConstants().GetConstant(0)->Name, "x");
    EXPECT_EQ(P.Instructions()[8].Value, 1.5e-3L);
    EXPECT_EQ(P.LastInstruction(), &P.Instructions().back());
}

TEST_F(CompilerTest, SignsAndPriorities) {
    Evaluator.Variables().Add("a", &X, &X);
    Evaluator.Variables().Add("b", &X, &X);
    Evaluator.Variables().Add("c", &X, &X);
    ExpectCode({
        {"y: x*-y", "x y Neg *"},
        {"h: x <> -y^2", "x y Neg 2 ^ <>"},
        {"y: -x^2", "x Neg 2 ^"},
        {"y: -(x+1)*2", "x 1 + Neg 2 *"},
        {"y: +(x)", "x"},
        {"y: x<=-1", "x -1 <="},
        {"y: a-b-c", "a b - c -"},
        {"y: a^b^c", "a b ^ c ^"},
        {"y: a+b*c^2", "a b c 2 ^ * +"},
        {"y: a*b+c", "a b * c +"},
        {"y: a > b and b < c", "a b > b c < and"},
        {"y: x and y", "x y and"},
        {"y: x xor y or a", "x y xor a or"},
        {"y: -Sin(x)", "x Sin Neg"},
        {"y: 2-(-x)", "2 x Neg -"},
    });
}

TEST_F(CompilerTest, NumberForms) {
    ExpectCode({
        {"y: 2j*3", "2j 3 *"},
        {"y: 1e5", "100000"},
        {"y: 1.5e-3", "0.0015"},
        {"y: 2.5e+2j", "250j"},
        {"y: .5", "0.5"},
        {"y: -.5", "-0.5"},
        {"y: 007", "7"},
        {"y: -2", "-2"},
        {"y: +2", "2"},
        {"y: 3j", "3j"},
    });
    EXPECT_EQ(Compile("y: 3j").CharClasses(), "21131");
    EXPECT_EQ(Compile("y: 0.1").Instructions()[0].Value, 0.1L);
}

TEST_F(CompilerTest, CommentsAndBlanks) {
    Evaluator.Variables().Add("xy", &X, &X);
    ExpectCode({
        {"y: x{c}y", "xy"},
        {"y: (x {)} + 1)", "x 1 +"},
        {"y: x {c", "x"},
        {"y: x {a {nested} still} + 1", "x 1 +"},
        {"{lead} y: 1", "1"},
        {"y:x+1", "x 1 +"},
        {"y  :  x  +  1  ", "x 1 +"},
    });
    EXPECT_EQ(Compile("y: x{c}").CharClasses(), "2112000");
}

TEST_F(CompilerTest, NamesResolveInOrder) {
    Evaluator.Constants().Add("k", 5.0L, 0.0L);
    Evaluator.Constants().Add("x", 9.0L, 0.0L);
    Compile("w: 1");
    Compile("k: 2");
    Compile("Sin(a): a");
    Evaluator.Variables().Add("a.b.c", &X, &X);
    ExpectCode({
        {"f(x): x", "$x"},      // a parameter hides a variable
        {"y: x", "x"},          // a variable hides a constant
        {"y: k", "k"},          // a constant hides an equation
        {"y: w+W", "@w @w +"},  // equations by name, any case
        {"y: Sin(1)", "1 Sin"}, // a function hides an equation in calls
        {"y: PI+E", "pi e +"},
        {"y: a.b.c", "a.b.c"},
    });
}

TEST_F(CompilerTest, CallsOfEquations) {
    Compile("p(x): x*x");
    Compile("w: 1");
    ExpectCode({{"q: p(3)", "3 @p"}, {"q: -p(x+1)", "x 1 + @p Neg"}});
    ExpectErrors({{"q: p", 19, 4}, {"z: w(2)", 20, 5}, {"q: p(1;2)", 11, 7}});
    auto& Later = Add("later: 1");
    EXPECT_EQ(Compile("z: later").ErrorCode(), 9); // not compiled yet: no name
    Later.Check();
    EXPECT_EQ(Compile("z: later").ErrorCode(), 0);
}

TEST_F(CompilerTest, FunctionNameChangesOnlyOnSuccess) {
    auto& Equation = Compile("first: 1");
    EXPECT_EQ(Equation.GetFunctionName(), "first");
    Equation.SetEquationStr("second: 1+");
    EXPECT_FALSE(Equation.Checked());
    EXPECT_EQ(Equation.GetFunctionName(), "first");
    EXPECT_EQ(Equation.ErrorCode(), 15);
    Equation.SetEquationStr("second: zz");
    Equation.Check();
    EXPECT_EQ(Equation.ErrorCode(), 9); // only the new text's error
}

TEST_F(CompilerTest, SetEquationStrIgnoresCaseOnlyChanges) {
    auto& Equation = Compile("y: x");
    Equation.SetEquationStr("Y: X");
    EXPECT_TRUE(Equation.Checked());
    EXPECT_EQ(Equation.EquationStr(), "y: x");
    Equation.SetEquationStr("y: x ");
    EXPECT_FALSE(Equation.Checked());
}

TEST_F(CompilerTest, CustomSyntaxCharacters) {
    Evaluator.DecimalPoint = ',';
    Evaluator.Separator = '|';
    Evaluator.OpenParentesis = '[';
    Evaluator.CloseParentesis = ']';
    Evaluator.OpenComment = '"';
    Evaluator.CloseComment = '\'';
    Evaluator.Imaginary = 'i';
    ExpectCode({
        {"y: 1,5", "1.5"},
        {"f[a|b]: a*[b+1]", "$a $b 1 + *"},
        {"y: If[x|1,25e1|2i]", "x 12.5 2j If"},
        {"y: x \"[ comment'+1", "x 1 +"},
    });
    ExpectErrors({{"y: 1.5", 6, 5}, {"y: Sin[x|1]", 11, 9}});
    Evaluator.DecimalPoint = ' ';
    EXPECT_EQ(Compile("y: 1 5").Instructions()[0].Value, 1.5L);
}

TEST_F(CompilerTest, ParenthesesNestUpToTheLimit) {
    const auto Nested = [](int Depth) {
        return "y: " + std::string(static_cast<std::size_t>(Depth), '(') + "x" +
               std::string(static_cast<std::size_t>(Depth), ')');
    };
    EXPECT_EQ(Describe(Compile(Nested(255))), "x");
    ExpectErrors({{Nested(256).c_str(), ErrNestingTooDeep, 4 + 255}});
    EXPECT_EQ(MathMsg[ErrNestingTooDeep], "Parentheses nested too deeply");
}

TEST_F(CompilerTest, ManyPriorityLevelsGrowTheOperatorStack) {
    static const char* Symbols[] = {"<<", "a1", "a2", "a3", "a4",  "a5",
                                    "a6", "a7", "a8", "a9", "a10", "a11"};
    Evaluator.Operators().Clear();
    for (int P = 0; P < 12; ++P)
        Evaluator.Operators().Add(Symbols[P], 20 - P, &OpAdd);
    // Each word binds more loosely than the one after it, so all wait on the stack.
    std::string Text = "y: 1";
    for (int P = 1; P < 12; ++P)
        Text += std::string(" ") + Symbols[P] + " 1";
    auto& Equation = Compile(Text);
    ASSERT_EQ(Equation.ErrorCode(), 0) << Equation.ErrorMsg();
    EXPECT_EQ(Describe(Equation), "1 1 1 1 1 1 1 1 1 1 1 1 a11 a10 a9 a8 a7 a6 a5 a4 a3 a2 a1");
    EXPECT_EQ(Equation.StackDepth(), 12);
}

TEST_F(CompilerTest, OnAcceptLabelTakesPartInLookup) {
    long double Cell = 7;
    std::vector<std::string> Asked;
    Evaluator.OnAcceptLabel = [&](TEquation* Sender, const std::string& Name, TLabelType Type,
                                  int& Position) {
        EXPECT_NE(Sender, nullptr);
        Asked.push_back(std::to_string(Type) + Name + std::to_string(Position));
        if (Name == "fresh" && Type == ltVariable)
            Position = Evaluator.Variables().Add("fresh", &Cell, &Cell)->Owner()->Count() - 1;
        if (Name == "alias" && Type == ltVariable) Position = 1; // redirect to y
        if (Name == "x" && Type == ltVariable) Position = -1;    // hide x
        if (Name == "wild") Position = 1000;                     // out of range: not found
        if (Name == "boom") throw std::runtime_error("host says no");
    };
    ExpectCode({{"y: fresh", "fresh"}, {"y: alias", "y"}, {"y: -y", "y Neg"}});
    EXPECT_EQ(Compile("y: x").ErrorCode(), 9);
    EXPECT_EQ(Compile("y: wild").ErrorCode(), 9);
    EXPECT_EQ(Compile("y: wild(1)").ErrorCode(), 8);
    EXPECT_THROW(Compile("y: boom"), std::runtime_error);
    Asked.clear();
    Compile("y: Sin(pi)");
    EXPECT_EQ(Asked, (std::vector<std::string>{"1Sin3", "2pi-1", "0pi1"}));
}

TEST_F(CompilerTest, NegationNeedsAOneParameterNeg) {
    Evaluator.Functions().Delete(Evaluator.Functions().IndexOf("Neg"));
    EXPECT_EQ(Compile("y: -x").ErrorCode(), 8);
    EXPECT_EQ(Compile("y: -2").ErrorCode(), 0); // a signed literal needs no negation
}

TEST_F(CompilerTest, CheckNeedsAnEvaluator) {
    TEquation Loose(nullptr, "y: 1");
    EXPECT_THROW(Loose.Check(), EzoZezoEvaluatorError);
}
