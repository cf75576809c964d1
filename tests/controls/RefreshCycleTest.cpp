// The pause before a rebuild, what a rebuild leaves in the evaluator, design mode, and
// failures of the host's handlers during a rebuild.
#include "MemoFixture.h"
#include "zoZezo/Exception.h"

#include <QTest>
#include <stdexcept>

namespace zoZezo::test {
namespace {

using RefreshCycle = MemoTest;

TEST_F(RefreshCycle, TypingWithoutPauseRebuildsOnceAfterThePause) {
    for (const char* Key : {"y", ":", " ", "1", "+", "2"}) {
        Type(QString::fromLatin1(Key));
        QCoreApplication::processEvents();
        EXPECT_TRUE(Memo.RefreshPending());
    }
    EXPECT_EQ(Evaluations.count(), 0);
    EXPECT_EQ(Changes.count(), 6);
    ASSERT_TRUE(WaitForRebuilds());
    QTest::qWait(3 * Delay);
    EXPECT_EQ(Evaluations.count(), 1);
    EXPECT_FALSE(Memo.RefreshPending());
    ASSERT_EQ(Evaluator.Equations().Count(), 1);
    EXPECT_EQ(Evaluator.Equations().GetEquation(0)->EquationStr(), "y: 1+2");
}

TEST_F(RefreshCycle, EachChangeRestartsTheCountdown) {
    Memo.SetRefreshDelay(400);
    Type(QStringLiteral("y"));
    QTest::qWait(250);
    Type(QStringLiteral(":"));
    QTest::qWait(250);
    EXPECT_EQ(Evaluations.count(), 0) << "500 ms after the first key, 250 ms after the last";
    EXPECT_TRUE(WaitForRebuilds());
}

TEST_F(RefreshCycle, ChangeAndEvaluateNameTheMemoAsSender) {
    Type(QStringLiteral("y: 1"));
    ASSERT_TRUE(WaitForRebuilds());
    EXPECT_EQ(Changes.first().first().value<TCustomovEquationMemo*>(), &Memo);
    EXPECT_EQ(Evaluations.first().first().value<TCustomovEquationMemo*>(), &Memo);
}

TEST_F(RefreshCycle, DesignModeFiresNoChangeAndStartsNoRebuild) {
    Memo.SetDesigning(true);
    Type(QStringLiteral("y: 1"));
    EXPECT_EQ(Changes.count(), 0);
    EXPECT_FALSE(Memo.RefreshPending());
    Memo.CheckEquations();
    EXPECT_EQ(Evaluations.count(), 0);
    EXPECT_EQ(Evaluator.Equations().Count(), 0);
}

TEST_F(RefreshCycle, SetEquationsReplacesTheTextAndRebuildsOnce) {
    Type(QStringLiteral("old: 1"));
    Memo.SetEquations({QStringLiteral("a: 1"), QStringLiteral("b: a+1")});
    EXPECT_EQ(Editor().toPlainText(), QStringLiteral("a: 1\nb: a+1"));
    EXPECT_EQ(Memo.Equations(), QStringList({QStringLiteral("a: 1"), QStringLiteral("b: a+1")}));
    ASSERT_TRUE(WaitForRebuilds());
    QTest::qWait(3 * Delay);
    EXPECT_EQ(Evaluations.count(), 1);
    ASSERT_EQ(Evaluator.Equations().Count(), 2);
    EXPECT_DOUBLE_EQ(static_cast<double>(Evaluator.Equations().GetEquation(1)->Compute()), 2.0);
}

TEST_F(RefreshCycle, RebuildReplacesTheListLineForLineBlankLinesIncluded) {
    Evaluator.Equations().Add("host: 5");
    SetTextAndRebuild(QStringLiteral("a: 1\n\nb: 2\n"));
    const auto& List = Evaluator.Equations();
    ASSERT_EQ(List.Count(), 4) << "the last line, empty after the final break, counts too";
    EXPECT_EQ(List.GetEquation(0)->EquationStr(), "a: 1");
    EXPECT_EQ(List.GetEquation(1)->EquationStr(), "");
    EXPECT_EQ(List.GetEquation(2)->EquationStr(), "b: 2") << "the line whole, nothing cut off";
    EXPECT_EQ(List.GetEquation(3)->EquationStr(), "");
}

TEST_F(RefreshCycle, EmptyEditorEmptiesTheListAndClearsTheStatus) {
    SetTextAndRebuild(QStringLiteral("y: +"));
    ASSERT_FALSE(Memo.StatusText().isEmpty());
    SetTextAndRebuild({});
    EXPECT_EQ(Evaluator.Equations().Count(), 0);
    EXPECT_TRUE(Memo.StatusText().isEmpty());
    EXPECT_EQ(Evaluations.count(), 2);
}

TEST_F(RefreshCycle, WithoutEvaluatorOnlyTheErrorPositionResets) {
    SetTextAndRebuild(QStringLiteral("y: +"));
    const QString Status = Memo.StatusText();
    Memo.SetzoZezoEvaluator(nullptr);
    SetTextAndRebuild(QStringLiteral("y: 1"));
    EXPECT_EQ(Memo.ErrorLine(), 0);
    EXPECT_EQ(Memo.ErrorColumn(), 0);
    EXPECT_EQ(Memo.StatusText(), Status);
    EXPECT_EQ(Evaluations.count(), 2);
    EXPECT_EQ(Evaluator.Equations().GetEquation(0)->EquationStr(), "y: +");
}

TEST_F(RefreshCycle, ThrowingHandlerIsShownAndTheRebuildRetried) {
    int Throws = 1;
    Evaluator.OnAcceptLabel = [&](TEquation*, const std::string&, TLabelType, int&) {
        if (Throws-- > 0) throw std::runtime_error("host refused");
    };
    Type(QStringLiteral("y: pi"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Messages().empty(); }, 2000));
    EXPECT_EQ(Messages().front(), "host refused");
    EXPECT_TRUE(Memo.RefreshPending());
    EXPECT_EQ(Evaluations.count(), 0);
    ASSERT_TRUE(WaitForRebuilds()) << "retried after another pause";
    EXPECT_FALSE(Memo.RefreshPending());
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(RefreshCycle, ThrowingEvaluateHandlerKeepsTheTimerArmed) {
    bool Throw = true;
    QObject::connect(&Memo, &TCustomovEquationMemo::OnEvaluate, &Memo, [&] {
        if (std::exchange(Throw, false)) throw EzoZezoEvaluatorError("Number must be real");
    });
    SetTextAndRebuild(QStringLiteral("y: 1"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().front(), "Number must be real");
    EXPECT_TRUE(Memo.RefreshPending());
    EXPECT_TRUE(WaitForRebuilds());
}

TEST_F(RefreshCycle, RefreshInsideARebuildIsRefused) {
    bool Nested = true;
    Evaluator.OnAcceptLabel = [&](TEquation*, const std::string&, TLabelType, int&) {
        if (std::exchange(Nested, false)) Memo.Refresh();
    };
    SetTextAndRebuild(QStringLiteral("y: pi\nz: 2"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Memo.RefreshPending());
    ASSERT_TRUE(WaitForRebuilds());
    EXPECT_EQ(Evaluator.Equations().Count(), 2);
}

// Host code that runs while the lines compile may free or change what the rebuild works on.

TEST_F(RefreshCycle, AHandlerThatFreesItsEquationStillSeesTheErrorShown) {
    const QString Text = QStringLiteral("a: 1\ny: q+1");
    SetTextAndRebuild(Text);
    const QString Usual = Memo.StatusText();
    ASSERT_TRUE(Usual.startsWith(QStringLiteral("Error: ")));
    Evaluator.OnAcceptLabel = [Once = true](TEquation* Sender, const std::string& Name, TLabelType,
                                            int&) mutable {
        if (Name == "q" && std::exchange(Once, false)) delete Sender;
    };
    SetTextAndRebuild(Text);
    EXPECT_EQ(Memo.StatusText(), Usual);
    EXPECT_EQ(Memo.ErrorLine(), 2);
    EXPECT_EQ(Evaluator.Equations().Count(), 1) << "the freed equation left the list";
}

TEST_F(RefreshCycle, AHandlerThatChangesTheEvaluatorEndsTheRebuild) {
    TzoZezoEvaluator Other;
    for (TzoZezoEvaluator* Next : {static_cast<TzoZezoEvaluator*>(nullptr), &Other}) {
        Other.Equations().Add("1234")->Check(); // classes the memo's text must not take
        Memo.SetzoZezoEvaluator(&Evaluator);
        Evaluator.OnAcceptLabel = [&, Once = true](TEquation*, const std::string&, TLabelType,
                                                   int&) mutable {
            if (std::exchange(Once, false)) Memo.SetzoZezoEvaluator(Next);
        };
        SetTextAndRebuild(QStringLiteral("y: pi"));
        EXPECT_EQ(Memo.zoZezoEvaluator(), Next);
        EXPECT_TRUE(FormatsOf(Editor(), 0).isEmpty()) << FormatsOf(Editor(), 0).toStdString();
        EXPECT_EQ(Memo.RefreshPending(), Next != nullptr) << "the new evaluator gets the lines";
    }
    ASSERT_TRUE(WaitForRebuilds());
    ASSERT_EQ(Other.Equations().Count(), 1);
    EXPECT_EQ(Other.Equations().GetEquation(0)->EquationStr(), "y: pi");
    EXPECT_EQ(FormatAt(Editor(), 0, 0).foreground().color(), QColor(0, 0, 128));
}

TEST(RefreshCycleHost, AHandlerThatFreesTheMemoEndsTheRebuild) {
    TzoZezoEvaluator Evaluator;
    auto* Memo = new TovEquationMemo;
    Memo->SetzoZezoEvaluator(&Evaluator);
    Memo->SetEquations({QStringLiteral("y: pi"), QStringLiteral("z: 2")});
    TovEquationMemo* Alive = Memo;
    Evaluator.OnAcceptLabel = [&](TEquation*, const std::string&, TLabelType, int&) {
        delete std::exchange(Alive, nullptr);
    };
    Memo->CheckEquations();
    EXPECT_EQ(Alive, nullptr);
    EXPECT_EQ(Evaluator.Equations().Count(), 1);
}

TEST_F(RefreshCycle, AnExceptionFromOnChangeIsShownAndTheEditStands) {
    QObject::connect(&Memo, &TCustomovEquationMemo::OnChange, &Memo,
                     [] { throw std::runtime_error("host refused the change"); });
    Type(QStringLiteral("y"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().front(), "host refused the change");
    EXPECT_EQ(Editor().toPlainText(), QStringLiteral("y"));
    EXPECT_TRUE(Memo.RefreshPending());
}

} // namespace
} // namespace zoZezo::test
