// The memo's reference to an evaluator that the host owns and may free first.
#include "MemoFixture.h"

#include <memory>

namespace zoZezo::test {
namespace {

TEST(EvaluatorReference, ClearsItselfWhenTheEvaluatorIsFreed) {
    TovEquationMemo Memo;
    auto Evaluator = std::make_unique<TzoZezoEvaluator>();
    Memo.SetzoZezoEvaluator(Evaluator.get());
    Evaluator.reset();
    EXPECT_EQ(Memo.zoZezoEvaluator(), nullptr);
    QSignalSpy Evaluations(&Memo, &TCustomovEquationMemo::OnEvaluate);
    Memo.Editor()->setPlainText(QStringLiteral("y: 1"));
    Memo.CheckEquations();
    EXPECT_EQ(Evaluations.count(), 1) << "a rebuild without evaluator";
}

TEST(EvaluatorReference, MemoFreedFirstLeavesTheEvaluatorUntouched) {
    TzoZezoEvaluator Evaluator;
    {
        TovEquationMemo First, Second;
        First.SetzoZezoEvaluator(&Evaluator);
        Second.SetzoZezoEvaluator(&Evaluator);
        Second.SetzoZezoEvaluator(nullptr);
    }
    // Freeing the evaluator now must not reach the memos: ASan reports a use after free.
    Evaluator.Equations().Add("y: 1");
    EXPECT_EQ(Evaluator.Equations().Count(), 1);
}

TEST(EvaluatorReference, SwitchingEvaluatorsFollowsOnlyTheCurrentOne) {
    TovEquationMemo Memo;
    auto Old = std::make_unique<TzoZezoEvaluator>();
    TzoZezoEvaluator Current;
    Memo.SetzoZezoEvaluator(Old.get());
    Memo.SetzoZezoEvaluator(&Current);
    Old.reset();
    EXPECT_EQ(Memo.zoZezoEvaluator(), &Current);
}

TEST(EvaluatorReference, EvaluatorOwnedByAnotherComponentIsFollowedToo) {
    TovEquationMemo Memo;
    auto Form = std::make_unique<TComponent>();
    auto* Evaluator = new TzoZezoEvaluator(Form.get());
    Memo.SetzoZezoEvaluator(Evaluator);
    Form.reset();
    EXPECT_EQ(Memo.zoZezoEvaluator(), nullptr);
}

} // namespace
} // namespace zoZezo::test
