// Host code that runs in the middle of a computation or a compilation (callbacks, OnAcceptLabel,
// the message handler) and changes what is running: each change is refused with a clear error
// that leaves the evaluator usable, or, for delete, kept alive until the running part ends.
// Run under the sanitizers, these tests also show that nothing reads freed memory.

#include "EvaluatorFixture.h"

#include <algorithm>
#include <functional>
#include <string>

using namespace zoZezo;

namespace {

// What the host function Hook does before it returns its argument.
std::function<void()> HookAction;
TComplex Hook(std::span<const TComplex> Args) {
    if (const auto Action = HookAction) Action(); // a copy: the action may replace HookAction
    return Args[0];
}

std::string Refusal(const std::string& Name) {
    return "Equation '" + Name + "' cannot be changed while it is being compiled or computed";
}

class Reentry : public EvaluatorFixture {
protected:
    Reentry() {
        Evaluator.Functions().Add("Hook", 1, Hook);
        Inner = &Compile("inner: Hook(x)*2");
        Other = &Compile("other: 10");
        Outer = &Compile("outer: inner+1");
    }
    ~Reentry() override { HookAction = nullptr; }

    // Runs Action once from the callback while outer (and, through it, inner) computes; returns
    // the message of what the computation threw, or "" when it finished with the value 9.
    std::string DuringComputation(const std::function<void()>& Action) {
        HookAction = [&] {
            HookAction = nullptr;
            Action();
        };
        std::string Thrown;
        try {
            EXPECT_EQ(Outer->Compute(), 9);
        } catch (const EzoZezoEvaluatorError& Error) {
            Thrown = Error.what();
        }
        HookAction = nullptr;
        return Thrown;
    }

    // The evaluator computes again, and nothing stays busy.
    void ExpectUsable() {
        for (const TEquation* Equation : Evaluator.Equations().Items())
            EXPECT_FALSE(Equation->Busy()) << Equation->EquationStr();
        if (Listed(Outer)) {
            EXPECT_EQ(Outer->Compute(), 9);
        }
    }

    bool Listed(const TEquation* Equation) const {
        const auto& Items = Evaluator.Equations().Items();
        return std::find(Items.begin(), Items.end(), Equation) != Items.end();
    }

    TEquation* Inner = nullptr;
    TEquation* Other = nullptr;
    TEquation* Outer = nullptr;
};

} // namespace

struct TChange {
    const char* Name;
    std::function<void(TzoZezoEvaluator&, TEquation& Running, TEquation& Caller)> Apply;
    const char* Refused; // the name in the refusal, or nullptr when the change is allowed
};

class RefusedWhileComputing : public Reentry, public testing::WithParamInterface<TChange> {};

TEST_P(RefusedWhileComputing, ChangesNothingAndLeavesTheEvaluatorUsable) {
    const TChange& Change = GetParam();
    const std::size_t Count = Evaluator.Equations().Items().size();
    const std::string Thrown = DuringComputation([&] { Change.Apply(Evaluator, *Inner, *Outer); });
    if (Change.Refused) {
        EXPECT_EQ(Thrown, Refusal(Change.Refused));
        EXPECT_EQ(Evaluator.Equations().Items().size(), Count);
        EXPECT_EQ(Inner->EquationStr(), "inner: Hook(x)*2");
        EXPECT_EQ(Outer->EquationStr(), "outer: inner+1");
    } else {
        EXPECT_EQ(Thrown, "");
    }
    ExpectUsable();
}

INSTANTIATE_TEST_SUITE_P(
    Changes, RefusedWhileComputing,
    testing::Values(
        TChange{"RecompileRunning",
                [](TzoZezoEvaluator&, TEquation& R, TEquation&) { (void)R.Check(); }, "inner"},
        TChange{"EditRunning",
                [](TzoZezoEvaluator&, TEquation& R, TEquation&) { R.SetEquationStr("inner: 5"); },
                "inner"},
        TChange{"EditCaller",
                [](TzoZezoEvaluator&, TEquation&, TEquation& C) { C.SetEquationStr("outer: 5"); },
                "outer"},
        TChange{"RecompileCaller",
                [](TzoZezoEvaluator&, TEquation&, TEquation& C) { (void)C.Check(); }, "outer"},
        TChange{"ClearCode",
                [](TzoZezoEvaluator&, TEquation& R, TEquation&) { R.ClearInstructions(); },
                "inner"},
        TChange{"DeleteCaller",
                [](TzoZezoEvaluator& E, TEquation&, TEquation&) { E.Equations().Delete(2); },
                "outer"},
        TChange{"ClearList",
                [](TzoZezoEvaluator& E, TEquation&, TEquation&) { E.Equations().Clear(); },
                "inner"},
        TChange{"Start", [](TzoZezoEvaluator& E, TEquation&, TEquation&) { E.Start(); }, "inner"},
        TChange{"CopyTextIntoRunning",
                [](TzoZezoEvaluator& E, TEquation&, TEquation&) {
                    E.Equations().SetEquation(0, *E.Equations().GetEquation(1));
                },
                "inner"},
        // what touches no running equation is allowed
        TChange{"SameTextInAnotherCase",
                [](TzoZezoEvaluator&, TEquation& R, TEquation&) {
                    R.SetEquationStr("INNER: hook(X)*2");
                },
                nullptr},
        TChange{"AddAndComputeAnother",
                [](TzoZezoEvaluator& E, TEquation&, TEquation&) {
                    TEquation* New = E.Equations().Add("n: other*2+inner");
                    EXPECT_EQ(New->Compute(), 28);
                },
                nullptr}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(Reentry, ChangingAnotherEquationIsAllowed) {
    EXPECT_EQ(DuringComputation([&] {
                  Other->SetEquationStr("other: 11");
                  EXPECT_TRUE(Other->Check());
                  Evaluator.Equations().Delete(1);
              }),
              "");
    EXPECT_EQ(Evaluator.Equations().Count(), 2);
    ExpectUsable();
}

TEST_F(Reentry, DeletedRunningEquationsFinishTheirRun) {
    EXPECT_EQ(DuringComputation([&] {
                  delete Outer;
                  delete Inner;
                  EXPECT_EQ(Evaluator.Equations().Count(), 1); // gone from the list at once
              }),
              "");
    EXPECT_EQ(Evaluator.Equations().Count(), 1);
    EXPECT_EQ(Evaluator.Equations().GetEquation(0), Other);
}

TEST_F(Reentry, ARefusalThatReachesTheHostUnwindsTheComputation) {
    HookAction = [&] { Evaluator.Equations().Clear(); };
    EXPECT_THROW((void)Outer->Compute(), EzoZezoEvaluatorError);
    HookAction = nullptr;
    ExpectUsable();
    Evaluator.Equations().Clear(); // allowed once the computation is over
    EXPECT_EQ(Evaluator.Equations().Count(), 0);
}

TEST_F(Reentry, ComputationsInsideComputationsRunOnTheirOwn) {
    long double Nested = 0;
    EXPECT_EQ(DuringComputation([&] { Nested = Outer->Compute() + Other->Compute(); }), "");
    EXPECT_EQ(Nested, 19);
}

// The equation memo rebuilds its list from a timer; a handler that runs the event loop in the
// middle of a compilation can start such a rebuild, whose Clear must be refused cleanly.
TEST_F(Reentry, ClearWhileCompilingIsRefusedAndTheCompilationGoesOn) {
    TEquation& Compiling = Add("z: x+other");
    std::string Thrown;
    Evaluator.OnAcceptLabel = [&](TEquation* Sender, const std::string&, TLabelType, int&) {
        EXPECT_EQ(Sender, &Compiling);
        try {
            Evaluator.Equations().Clear();
        } catch (const EzoZezoEvaluatorError& Error) {
            Thrown = Error.what();
        }
    };
    EXPECT_TRUE(Compiling.Check());
    EXPECT_EQ(Thrown, Refusal("z: x+other"));
    EXPECT_EQ(Evaluator.Equations().Count(), 4);
    EXPECT_EQ(Compiling.Compute(), 14);
}

TEST_F(Reentry, EditingTheEquationBeingCompiledIsRefused) {
    TEquation& Compiling = Add("z: x+1");
    Evaluator.OnAcceptLabel = [&](TEquation* Sender, const std::string&, TLabelType, int&) {
        Sender->SetEquationStr("z: a much longer text than the one being read");
    };
    try {
        (void)Compiling.Check();
        ADD_FAILURE() << "the edit was not refused";
    } catch (const EzoZezoEvaluatorError& Error) {
        EXPECT_EQ(std::string(Error.what()), Refusal("z: x+1"));
    }
    EXPECT_EQ(Compiling.EquationStr(), "z: x+1");
    EXPECT_FALSE(Compiling.Busy());
    Evaluator.OnAcceptLabel = nullptr;
    EXPECT_TRUE(Compiling.Check());
    EXPECT_EQ(Compiling.Compute(), 5);
}

TEST_F(Reentry, TheEquationBeingCompiledOutlivesItsDelete) {
    TEquation* Compiling = &Add("z: x+1");
    Evaluator.OnAcceptLabel = [&](TEquation* Sender, const std::string&, TLabelType, int&) {
        if (Listed(Sender)) delete Sender;
    };
    EXPECT_EQ(Compiling->Compute(), 5); // compiled and computed, then freed
    EXPECT_EQ(Evaluator.Equations().Count(), 3);
}

TEST_F(Reentry, AHandlerMayReplaceItselfWhileItRuns) {
    std::string Seen;
    Evaluator.OnAcceptLabel = [&, Padding = std::string(100, 'p')](
                                  TEquation*, const std::string& Name, TLabelType, int&) {
        Evaluator.OnAcceptLabel = nullptr; // destroys the handler's own object
        Seen = Name + Padding.substr(0, 1);
    };
    EXPECT_TRUE(Compile("z: x").Check());
    EXPECT_EQ(Seen, "xp");
}

TEST_F(Reentry, TheMessageHandlerMayNotFreeTheCaller) {
    TEquation& Bad = Compile("bad2: 1");
    TEquation& Caller = Compile("c: bad2+1");
    Bad.SetEquationStr("bad2: 1+"); // compiled again, with an error, when c calls it
    std::string Thrown;
    const TMessageHandler Saved = SetMessageHandler([&](const std::string&) {
        try {
            Evaluator.Equations().Clear();
        } catch (const EzoZezoEvaluatorError& Error) {
            Thrown = Error.what();
        }
    });
    EXPECT_EQ(Caller.Compute(), 1); // the faulty callee counts as 0
    SetMessageHandler(Saved);
    EXPECT_EQ(Thrown, Refusal("c"));
}
