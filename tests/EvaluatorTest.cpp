// The evaluator component: its syntax characters, Start, LoadReferencedConstants and the
// storage of its published properties.
#include "zoZezo/Evaluator.h"

#include "zoZezo/Exception.h"

#include <gtest/gtest.h>
#include <span>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

TComplex Zero(std::span<const TComplex>) {
    return {};
}
TComplex Left(const TComplex& A, const TComplex&) {
    return A;
}

std::vector<std::string> PropertyNames(const TComponent& Component) {
    std::vector<std::string> Names;
    for (const auto& Info : Component.Properties())
        Names.push_back(Info.Name);
    return Names;
}

} // namespace

TEST(Evaluator, DefaultSyntaxCharacters) {
    TzoZezoEvaluator Evaluator;
    EXPECT_EQ(Evaluator.DecimalPoint, '.');
    EXPECT_EQ(Evaluator.Imaginary, 'j');
    EXPECT_EQ(Evaluator.OpenParentesis, '(');
    EXPECT_EQ(Evaluator.CloseParentesis, ')');
    EXPECT_EQ(Evaluator.Separator, ';');
    EXPECT_EQ(Evaluator.OpenComment, '{');
    EXPECT_EQ(Evaluator.CloseComment, '}');
    EXPECT_FALSE(Evaluator.OnAcceptLabel);
}

TEST(Evaluator, NewEvaluatorHasNoVariablesAndNoEquations) {
    TzoZezoEvaluator Evaluator;
    EXPECT_EQ(Evaluator.Variables().Count(), 0);
    EXPECT_EQ(Evaluator.Equations().Count(), 0);
    EXPECT_STREQ(Evaluator.ClassName(), "TzoZezoEvaluator");
    EXPECT_EQ(Evaluator.Owner(), nullptr);
}

TEST(Evaluator, CollectionsReferBackToTheEvaluator) {
    TzoZezoEvaluator Evaluator;
    EXPECT_EQ(Evaluator.Constants().Evaluator(), &Evaluator);
    EXPECT_EQ(Evaluator.Variables().Evaluator(), &Evaluator);
    EXPECT_EQ(Evaluator.Functions().Evaluator(), &Evaluator);
    EXPECT_EQ(Evaluator.Operators().Evaluator(), &Evaluator);
    EXPECT_EQ(Evaluator.Equations().Evaluator(), &Evaluator);
    const TzoZezoEvaluator& Const = Evaluator;
    EXPECT_EQ(&Const.Equations(), &Evaluator.Equations());
}

TEST(Evaluator, StartEmptiesVariablesAndEquations) {
    TzoZezoEvaluator Evaluator;
    long double X = 1, Y = 2;
    Evaluator.Variables().Add("x", &X, nullptr);
    Evaluator.Variables().Add("y", &Y, &X);
    Evaluator.Equations().Add("a: x+y");
    Evaluator.Equations().Add("b(t): t*x");
    Evaluator.Equations().Add("not an equation");
    Evaluator.Start();
    EXPECT_EQ(Evaluator.Variables().Count(), 0);
    EXPECT_EQ(Evaluator.Equations().Count(), 0);
}

TEST(Evaluator, StartRemovesWhatTheHostAdded) {
    TzoZezoEvaluator Evaluator;
    const int Constants = Evaluator.Constants().Count();
    const int Functions = Evaluator.Functions().Count();
    const int Operators = Evaluator.Operators().Count();
    Evaluator.Constants().Add("HostConstant", 1.0L, 0.0L);
    Evaluator.Functions().Add("HostFunction", 1, &Zero);
    Evaluator.Operators().Add("HostOperator", 9, &Left);
    Evaluator.Start();
    EXPECT_EQ(Evaluator.Constants().IndexOf("HostConstant"), -1);
    EXPECT_EQ(Evaluator.Functions().IndexOf("HostFunction"), -1);
    EXPECT_EQ(Evaluator.Operators().IndexOf("HostOperator"), -1);
    EXPECT_EQ(Evaluator.Constants().Count(), Constants);
    EXPECT_EQ(Evaluator.Functions().Count(), Functions);
    EXPECT_EQ(Evaluator.Operators().Count(), Operators);
}

TEST(Evaluator, StartKeepsSyntaxCharactersAndTheEvent) {
    TzoZezoEvaluator Evaluator;
    Evaluator.DecimalPoint = ',';
    Evaluator.Separator = '|';
    Evaluator.OnAcceptLabel = [](TEquation*, const std::string&, TLabelType, int& I) { I = -1; };
    Evaluator.Start();
    EXPECT_EQ(Evaluator.DecimalPoint, ',');
    EXPECT_EQ(Evaluator.Separator, '|');
    EXPECT_TRUE(Evaluator.OnAcceptLabel);
}

TEST(Evaluator, StartTwiceIsStartOnce) {
    TzoZezoEvaluator Evaluator;
    Evaluator.Start();
    Evaluator.Start();
    TzoZezoEvaluator Fresh;
    EXPECT_EQ(Evaluator.Constants().Count(), Fresh.Constants().Count());
    EXPECT_EQ(Evaluator.Functions().Count(), Fresh.Functions().Count());
    EXPECT_EQ(Evaluator.Operators().Count(), Fresh.Operators().Count());
}

TEST(Evaluator, LoadReferencedConstantsClearsTheList) {
    TzoZezoEvaluator Evaluator;
    TStrings List = {"left", "over"};
    Evaluator.LoadReferencedConstants(List);
    EXPECT_TRUE(List.empty());
}

TEST(Evaluator, LoadReferencedConstantsCompilesNothing) {
    TzoZezoEvaluator Evaluator;
    if (Evaluator.Constants().IndexOf("pi") < 0) Evaluator.Constants().Add("pi", 3.0L, 0.0L);
    TEquation* Equation = Evaluator.Equations().Add("y: pi*pi");
    TStrings List = {"stale"};
    Evaluator.LoadReferencedConstants(List);
    EXPECT_TRUE(List.empty());
    EXPECT_FALSE(Equation->Checked());
}

TEST(Evaluator, LoadReferencedConstantsListsEachReference) {
    TzoZezoEvaluator Evaluator;
    if (Evaluator.Constants().IndexOf("pi") < 0) Evaluator.Constants().Add("pi", 3.0L, 0.0L);
    TEquation* Equation = Evaluator.Equations().Add("y: pi*pi");
    if (!Equation->Check()) GTEST_SKIP() << "the compiler does not compile `y: pi*pi` yet";
    TStrings List = {"stale"};
    Evaluator.LoadReferencedConstants(List);
    EXPECT_EQ(List, (TStrings{"pi", "pi"}));
}

TEST(EvaluatorProperties, SevenSyntaxCharactersArePublished) {
    TzoZezoEvaluator Evaluator;
    EXPECT_EQ(
        PropertyNames(Evaluator),
        (std::vector<std::string>{"DecimalPoint", "Imaginary", "OpenParentesis", "CloseParentesis",
                                  "Separator", "OpenComment", "CloseComment"}));
}

TEST(EvaluatorProperties, DefaultsStoreNothing) {
    TzoZezoEvaluator Evaluator;
    EXPECT_TRUE(Evaluator.StoredProperties().empty());
}

TEST(EvaluatorProperties, ChangedCharacterIsStoredAndReadBack) {
    TzoZezoEvaluator Source;
    Source.CloseComment = '{';
    const TPropertyList Stored = Source.StoredProperties();
    EXPECT_EQ(Stored, (TPropertyList{{"CloseComment", std::string("{")}}));

    TzoZezoEvaluator Target;
    Target.LoadProperties(Stored);
    EXPECT_EQ(Target.CloseComment, '{');
    EXPECT_EQ(Target.OpenComment, '{');
    EXPECT_EQ(Target.StoredProperties(), Stored);
}

TEST(EvaluatorProperties, AllChangedCharactersAreStoredInOrder) {
    TzoZezoEvaluator Source;
    Source.DecimalPoint = ',';
    Source.Imaginary = 'i';
    Source.OpenParentesis = '[';
    Source.CloseParentesis = ']';
    Source.Separator = ',';
    Source.OpenComment = '"';
    Source.CloseComment = '"';
    const TPropertyList Stored = Source.StoredProperties();
    ASSERT_EQ(Stored.size(), 7u);
    EXPECT_EQ(Stored.front(), (std::pair<std::string, TPropertyValue>{"DecimalPoint", ","}));
    EXPECT_EQ(Stored.back(), (std::pair<std::string, TPropertyValue>{"CloseComment", "\""}));

    TzoZezoEvaluator Target;
    Target.LoadProperties(Stored);
    EXPECT_EQ(Target.StoredProperties(), Stored);
    EXPECT_EQ(Target.OpenParentesis, '[');
    EXPECT_EQ(Target.Imaginary, 'i');
}

TEST(EvaluatorProperties, TwoCharactersAreRefused) {
    TzoZezoEvaluator Evaluator;
    try {
        Evaluator.LoadProperties({{"CloseComment", std::string("}}")}});
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_NE(E.Message().find("CloseComment"), std::string::npos) << E.Message();
    }
    EXPECT_EQ(Evaluator.CloseComment, '}');
}

TEST(EvaluatorProperties, PropertyNamesAreSpelledAsPublished) {
    TzoZezoEvaluator Evaluator;
    EXPECT_THROW(Evaluator.LoadProperties({{"OpenParenthesis", std::string("[")}}), Exception);
    EXPECT_EQ(Evaluator.OpenParentesis, '(');
}
