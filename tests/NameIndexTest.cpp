// The equation list finds equations by name through an index that follows every change of the
// list: it must answer as a scan from the start would, after any sequence of changes.

#include "EvaluatorFixture.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

// Names that collide under case folding, also outside ASCII, and one that never compiles.
const std::vector<std::string> Names = {"f", "F", "g", "längd", "LÄNGD", "h.1", "k", "bad"};

int ScanFor(const TEquations& Equations, const std::string& Name) {
    for (int I = 0; I < Equations.Count(); ++I)
        if (SameName(Equations.GetEquation(I)->FunctionName(), Name)) return I;
    return -1;
}

// The text of an equation named Name; "bad" gives one that does not compile.
std::string TextOf(const std::string& Name) {
    return Name == "bad" ? "bad: )" : Name + ": 1";
}

} // namespace

class NameIndexTest : public EvaluatorFixture {
protected:
    void ExpectScanAnswers(int Step) {
        for (const std::string& Name : Names)
            EXPECT_EQ(Evaluator.Equations().FunctionIndexByName(Name),
                      ScanFor(Evaluator.Equations(), Name))
                << Name << " after step " << Step;
        EXPECT_EQ(Evaluator.Equations().FunctionIndexByName(""),
                  ScanFor(Evaluator.Equations(), ""));
    }
};

// Random appends, compilations, renames and removals, each followed by every lookup.
TEST_F(NameIndexTest, AnswersAsAScanDoes) {
    TEquations& Equations = Evaluator.Equations();
    std::uint64_t State = 7;
    const auto Next = [&State](int Range) {
        State = State * 6364136223846793005u + 1442695040888963407u;
        return static_cast<int>((State >> 33) % static_cast<std::uint64_t>(Range));
    };
    for (int Step = 0; Step < 3000; ++Step) {
        const std::string& Name = Names[static_cast<std::size_t>(Next(8))];
        const int Count = Equations.Count();
        switch (Next(5)) {
        case 0: Equations.Add(TextOf(Name)); break;          // appended, not compiled
        case 1: Equations.Add(TextOf(Name))->Check(); break; // appended and compiled
        case 2:                                              // renamed in place
            if (Count > 0) {
                TEquation* Target = Equations.GetEquation(Next(Count));
                Target->SetEquationStr(TextOf(Name));
                Target->Check();
            }
            break;
        case 3:
            if (Count > 0) Equations.Delete(Next(Count));
            break;
        default:
            if (Next(50) == 0) Equations.Clear();
        }
        ExpectScanAnswers(Step);
    }
}

TEST_F(NameIndexTest, EquationsCompiledLaterFindEarlierOnes) {
    Compile("p(a): a+1");
    auto& Later = Compile("q: P(2)*2");
    EXPECT_EQ(Later.Compute(), 6);
    Evaluator.Equations().Delete(0);
    Compile("p(a): a-1");
    EXPECT_EQ(Compile("r: p(2)").Compute(), 1);
}
