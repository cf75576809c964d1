// The equation list TEquations, and an equation's text setter.
#include "zoZezo/Equations.h"

#include "zoZezo/Evaluator.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

std::vector<std::string> Texts(const TEquations& List) {
    std::vector<std::string> Result;
    for (const TEquation* Equation : List.Items())
        Result.push_back(Equation->EquationStr());
    return Result;
}

} // namespace

TEST(Equations, AddAppendsAnUncheckedEquation) {
    TzoZezoEvaluator Evaluator;
    TEquations& List = Evaluator.Equations();
    TEquation* A = List.Add("a: 1");
    TEquation* B = List.Add("b(x): 2*x");
    EXPECT_EQ(List.Count(), 2);
    EXPECT_EQ(List.GetEquation(0), A);
    EXPECT_EQ(List.GetEquation(1), B);
    EXPECT_EQ(B->Owner(), &List);
    EXPECT_EQ(B->EquationStr(), "b(x): 2*x");
    EXPECT_FALSE(B->Checked());
    EXPECT_TRUE(B->FunctionName().empty());
    EXPECT_EQ(B->FirstInstruction(), nullptr);
    EXPECT_EQ(B->LocalConstants().Count(), 0);
    EXPECT_EQ(B->LocalConstants().Evaluator(), nullptr);
}

TEST(Equations, AddAcceptsAnyText) {
    TzoZezoEvaluator Evaluator;
    TEquation* Bad = Evaluator.Equations().Add("y: (1+");
    ASSERT_NE(Bad, nullptr);
    EXPECT_EQ(Evaluator.Equations().Count(), 1);
    Evaluator.Equations().Add("");
    EXPECT_EQ(Evaluator.Equations().Count(), 2);
}

TEST(Equations, DeleteMovesLaterEquationsDown) {
    TzoZezoEvaluator Evaluator;
    TEquations& List = Evaluator.Equations();
    List.Add("a: 1");
    List.Add("b: 2");
    TEquation* C = List.Add("c: 3");
    List.Delete(1);
    EXPECT_EQ(Texts(List), (std::vector<std::string>{"a: 1", "c: 3"}));
    EXPECT_EQ(List.GetEquation(1), C);
    List.Delete(2); // out of range
    List.Delete(-1);
    EXPECT_EQ(List.Count(), 2);
}

TEST(Equations, FreeingAnEquationDirectlyRemovesIt) {
    TzoZezoEvaluator Evaluator;
    TEquations& List = Evaluator.Equations();
    List.Add("a: 1");
    TEquation* B = List.Add("b: 2");
    List.Add("c: 3");
    delete B;
    EXPECT_EQ(Texts(List), (std::vector<std::string>{"a: 1", "c: 3"}));
}

TEST(Equations, GetEquationOutOfRangeIsNull) {
    TzoZezoEvaluator Evaluator;
    TEquations& List = Evaluator.Equations();
    EXPECT_EQ(List.GetEquation(0), nullptr);
    List.Add("a: 1");
    EXPECT_EQ(List.GetEquation(-1), nullptr);
    EXPECT_EQ(List.GetEquation(1), nullptr);
}

TEST(Equations, ClearEmptiesTheList) {
    TzoZezoEvaluator Evaluator;
    TEquations& List = Evaluator.Equations();
    for (int I = 0; I < 10; ++I)
        List.Add("e" + std::to_string(I) + ": " + std::to_string(I));
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
}

TEST(Equations, SetEquationCopiesTheTextOnly) {
    TzoZezoEvaluator Evaluator;
    TEquations& List = Evaluator.Equations();
    TEquation* Target = List.Add("a: 1");
    TEquation Source(nullptr, "b: 2");
    List.SetEquation(0, Source);
    EXPECT_EQ(List.GetEquation(0), Target);
    EXPECT_EQ(Target->EquationStr(), "b: 2");
    EXPECT_EQ(Target->Owner(), &List);
    EXPECT_FALSE(Target->Checked());
    EXPECT_EQ(Source.EquationStr(), "b: 2");
    EXPECT_EQ(Source.Owner(), nullptr);
    List.SetEquation(1, Source); // out of range
    List.SetEquation(-1, Source);
    EXPECT_EQ(List.Count(), 1);
}

TEST(Equations, FunctionIndexByNameOfAnEmptyList) {
    TzoZezoEvaluator Evaluator;
    EXPECT_EQ(Evaluator.Equations().FunctionIndexByName("y"), -1);
}

TEST(Equations, FunctionIndexByNameFindsNoUncheckedEquation) {
    TzoZezoEvaluator Evaluator;
    TEquation* Y = Evaluator.Equations().Add("y: 1");
    EXPECT_EQ(Evaluator.Equations().FunctionIndexByName("y"), -1);
    EXPECT_FALSE(Y->Checked()); // it compiled nothing
}

TEST(Equations, FunctionIndexByNameFindsACompiledEquation) {
    TzoZezoEvaluator Evaluator;
    TEquations& List = Evaluator.Equations();
    List.Add("first: 1");
    TEquation* Twice = List.Add("Twice(t): 2*t");
    if (!Twice->Check()) GTEST_SKIP() << "the compiler does not compile `Twice(t): 2*t` yet";
    EXPECT_EQ(List.FunctionIndexByName("twice"), 1);
    EXPECT_EQ(List.FunctionIndexByName("TWICE"), 1);
    EXPECT_EQ(List.FunctionIndexByName("first"), -1); // not compiled
}

TEST(EquationText, ChangedTextIsStoredAndUnchecked) {
    TzoZezoEvaluator Evaluator;
    TEquation* Y = Evaluator.Equations().Add("y: 1");
    Y->SetEquationStr("y: 2");
    EXPECT_EQ(Y->EquationStr(), "y: 2");
    EXPECT_FALSE(Y->Checked());
}

TEST(EquationText, AsciiCaseChangeChangesNothing) {
    TzoZezoEvaluator Evaluator;
    TEquation* Y = Evaluator.Equations().Add("y: Sin(x)");
    Y->SetEquationStr("Y: SIN(X)");
    EXPECT_EQ(Y->EquationStr(), "y: Sin(x)"); // the old text stays, also its letter case
    Y->SetEquationStr("y: sin(x)");
    EXPECT_EQ(Y->EquationStr(), "y: Sin(x)");
}

TEST(EquationText, AsciiCaseChangeLeavesCheckedAsItWas) {
    TzoZezoEvaluator Evaluator;
    TEquation* Y = Evaluator.Equations().Add("y: 1");
    Y->Check();
    if (!Y->Checked()) GTEST_SKIP() << "Check does not mark equations checked yet";
    Y->SetEquationStr("Y: 1");
    EXPECT_TRUE(Y->Checked());
    EXPECT_EQ(Y->EquationStr(), "y: 1");
    Y->SetEquationStr("y: 1 ");
    EXPECT_FALSE(Y->Checked());
}

TEST(EquationText, NonAsciiCaseChangeIsAChange) {
    // The text setter folds ASCII letters only (CompareText), unlike name lookups.
    TzoZezoEvaluator Evaluator;
    TEquation* Y = Evaluator.Equations().Add("ä: 1");
    Y->SetEquationStr("Ä: 1");
    EXPECT_EQ(Y->EquationStr(), "Ä: 1");
}

TEST(EquationText, LengthChangeIsAChange) {
    TzoZezoEvaluator Evaluator;
    TEquation* Y = Evaluator.Equations().Add("y: 1");
    Y->SetEquationStr("y: 1{}");
    EXPECT_EQ(Y->EquationStr(), "y: 1{}");
    Y->SetEquationStr("");
    EXPECT_EQ(Y->EquationStr(), "");
}
