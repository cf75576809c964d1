#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "zoZezo/zoZezo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace zoZezo::fuzz {
namespace {

constexpr std::array<const char*, 16> Names = {"x", "y",   "f",   "g",  "h",   "a", "n", "pi",
                                               "e", "Neg", "NEG", "If", "Sin", "v", "w", "z"};
constexpr std::array<const char*, 9> Symbols = {"+", "-", "*", "^", "<>", "#", "and", "mod", "="};
constexpr std::array<const char*, 12> Texts = {"f(a;b): a*b",      "g: f(x;2)+1",
                                               "h: g*pi-e",        "y: -x^2",
                                               "w(n): w(n-1)",     "v: Neg(x)+If(x;y;z)",
                                               "z: u(1)",          "a(p;q;r;s): p+q+r+s",
                                               "k: a(1;2;3;4)+c1", "m: h+h+h",
                                               "n: v1*2",          "f(a;b): b-a"};
constexpr std::array<int, 8> ParamCounts = {-1, 0, 1, 2, 3, 4, 5, 300};
constexpr std::array<long double, 8> Values = {0,
                                               1,
                                               -1,
                                               2.5L,
                                               1e4000L,
                                               std::numeric_limits<long double>::infinity(),
                                               std::numeric_limits<long double>::quiet_NaN(),
                                               1e-4940L};
constexpr std::array<TComplex, 4> Arguments = {TComplex{2, 0}, TComplex{-1, 3}, TComplex{0, 0},
                                               TComplex{7, 0}};
constexpr int MaxComputations = 8;

// A host function of any arity: the sum of its arguments. A sum of exactly 13 is refused.
TComplex Sum(std::span<const TComplex> Args) {
    TComplex Total;
    for (const TComplex& A : Args)
        Total = OpAdd(Total, A);
    if (Total.Re == 13) throw EzoZezoEvaluatorError("unlucky");
    return Total;
}

class TSession;
TSession* Active = nullptr; // the session whose host code the callbacks run

TComplex Reenter(std::span<const TComplex> Args);

enum TTable { tbConstants, tbVariables, tbFunctions, tbOperators, tbEquations, tbTableCount };

class TSession {
public:
    explicit TSession(TFuzzInput& Input) : FIn(Input) {}

    void Step();
    // Runs one step from host code in the middle of a compilation or a computation, as a host's
    // handler might; the evaluator may refuse it.
    void StepFromHostCode();

private:
    std::string Name() { return Names[FIn.Byte() % Names.size()]; }
    long double Value() { return Values[FIn.Byte() % Values.size()]; }
    long double* Cell() {
        const std::uint8_t B = FIn.Byte();
        return B % 5 == 4 ? nullptr : &FCells[B % 4];
    }
    // A position, mostly in range, sometimes just outside, sometimes far outside.
    int Position() { return static_cast<std::int8_t>(FIn.Byte()) % 24; }
    std::string Text() {
        const std::uint8_t B = FIn.Byte();
        return B < 200 ? Texts[B % Texts.size()] : FIn.Text(64);
    }
    TEquation* Equation() { return FEvaluator.Equations().GetEquation(Position()); }

    void Delete(TTable Table, int I);
    void Clear(TTable Table);
    void Replace(TTable Table, int I, int Source);
    void Compute(TEquation& Equation);
    void SetSyntaxCharacter();
    void AnswerLabels();
    void RequireFunctionIndex(const std::string& Name) const;

    TFuzzInput& FIn;
    bool Listed(const TEquation* Equation) const {
        const auto& Items = FEvaluator.Equations().Items();
        return std::find(Items.begin(), Items.end(), Equation) != Items.end();
    }

    TzoZezoEvaluator FEvaluator;
    long double FCells[4] = {1, -2, 0.5L, 3};
    int FComputations = 0;
    int FNesting = 0; // steps run from host code, one inside the other
};

TComplex Reenter(std::span<const TComplex> Args) {
    if (Active) Active->StepFromHostCode();
    return Sum(Args);
}

void TSession::StepFromHostCode() {
    if (FNesting >= 2 || FIn.Empty()) return;
    ++FNesting;
    try {
        Step();
    } catch (const EzoZezoEvaluatorError&) {
        // a change of what is running, refused
    }
    --FNesting;
}

void TSession::Step() {
    switch (FIn.Byte() % 20) {
    // Every operand is read into a variable first: arguments are evaluated in no fixed
    // order, and an input must replay alike whichever compiler built the target.
    case 0: {
        std::string N = Name();
        long double* Re = Cell();
        FEvaluator.Variables().Add(std::move(N), Re, Cell());
        break;
    }
    case 1: {
        std::string N = Name();
        const long double Re = Value();
        FEvaluator.Constants().Add(std::move(N), Re, Value());
        break;
    }
    case 2: {
        std::string N = Name();
        const int Count = ParamCounts[FIn.Byte() % ParamCounts.size()];
        FEvaluator.Functions().Add(std::move(N), Count, FIn.Byte() % 4 ? Sum : nullptr);
        break;
    }
    case 3: {
        const int Priority = FIn.Byte() % 16 - 2;
        const char* Symbol = Symbols[FIn.Byte() % Symbols.size()];
        FEvaluator.Operators().Add(Symbol, Priority, FIn.Byte() % 4 ? OpSubtract : nullptr);
        break;
    }
    case 4: FEvaluator.Equations().Add(Text()); break;
    case 5: {
        const auto Table = TTable(FIn.Byte() % tbTableCount);
        Delete(Table, Position());
        break;
    }
    case 6: Clear(TTable(FIn.Byte() % tbTableCount)); break;
    case 7: FEvaluator.Start(); break;
    case 8: {
        const auto Table = TTable(FIn.Byte() % tbTableCount);
        const int I = Position();
        Replace(Table, I, Position());
        break;
    }
    case 9:
        if (TEquation* E = Equation()) E->SetEquationStr(Text());
        break;
    case 10:
        if (TEquation* E = Equation()) {
            (void)E->Check();
            if (Listed(E)) // not freed by host code while it compiled
                Require(E->ErrorMsg() == MathMsg.at(static_cast<std::size_t>(E->ErrorCode())),
                        "ErrorMsg is MathMsg[ErrorCode]");
        }
        break;
    case 11:
        if (TEquation* E = Equation()) Compute(*E);
        break;
    case 12: SetSyntaxCharacter(); break;
    case 13: AnswerLabels(); break;
    case 14: {
        TStrings Referenced{"stale"};
        FEvaluator.LoadReferencedConstants(Referenced);
        break;
    }
    case 15:
        if (TEquation* E = Equation()) E->ClearInstructions();
        break;
    case 16: {
        long double& Cell = FCells[FIn.Byte() % 4];
        Cell = Value();
        break;
    }
    case 17: RequireFunctionIndex(Name()); break;
    // host code that runs in the middle of computations, and frees equations directly
    case 18: FEvaluator.Functions().Add(Name(), 1, Reenter); break;
    case 19: delete Equation(); break;
    }
}

void TSession::Delete(TTable Table, int I) {
    switch (Table) {
    case tbConstants: FEvaluator.Constants().Delete(I); break;
    case tbVariables: FEvaluator.Variables().Delete(I); break;
    case tbFunctions: FEvaluator.Functions().Delete(I); break;
    case tbOperators: FEvaluator.Operators().Delete(I); break;
    default: FEvaluator.Equations().Delete(I); break;
    }
}

void TSession::Clear(TTable Table) {
    switch (Table) {
    case tbConstants: FEvaluator.Constants().Clear(); break;
    case tbVariables: FEvaluator.Variables().Clear(); break;
    case tbFunctions: FEvaluator.Functions().Clear(); break;
    case tbOperators: FEvaluator.Operators().Clear(); break;
    default: FEvaluator.Equations().Clear(); break;
    }
}

void TSession::Replace(TTable Table, int I, int Source) {
    const auto ReplaceIn = [&](auto& Entries) {
        if (const auto* From = Entries.Get(Source)) Entries.Set(I, *From);
    };
    switch (Table) {
    case tbConstants: ReplaceIn(FEvaluator.Constants()); break;
    case tbVariables: ReplaceIn(FEvaluator.Variables()); break;
    case tbFunctions: ReplaceIn(FEvaluator.Functions()); break;
    case tbOperators: ReplaceIn(FEvaluator.Operators()); break;
    default:
        if (const TEquation* From = FEvaluator.Equations().GetEquation(Source))
            FEvaluator.Equations().SetEquation(I, *From);
        break;
    }
}

void TSession::Compute(TEquation& Equation) {
    if (++FComputations > MaxComputations) return;
    try {
        (void)Equation.ComputeArgsC(
            std::span(Arguments).first(FIn.Byte() % (Arguments.size() + 1)));
    } catch (const EzoZezoEvaluatorError&) {
        // stale code, deep recursion and the callbacks' refusals are reported this way
    }
}

void TSession::SetSyntaxCharacter() {
    const auto Characters = SyntaxCharacters(FEvaluator);
    char& Character = *Characters[FIn.Byte() % Characters.size()];
    Character = static_cast<char>(FIn.Byte());
}

// No handler; a handler that answers with nonsense positions; or one that defines names on
// demand, as a host would: v… as variables, c… as constants, u… as functions.
void TSession::AnswerLabels() {
    switch (FIn.Byte() % 4) {
    case 0: FEvaluator.OnAcceptLabel = nullptr; break;
    case 3:
        FEvaluator.OnAcceptLabel = [this](TEquation*, const std::string&, TLabelType, int&) {
            StepFromHostCode();
        };
        break;
    case 1:
        FEvaluator.OnAcceptLabel = [](TEquation*, const std::string& Name, TLabelType,
                                      int& Position) {
            Position = Name.size() % 2 ? Position + 7 : -Position - 3;
        };
        break;
    default:
        FEvaluator.OnAcceptLabel = [this](TEquation*, const std::string& Name, TLabelType Type,
                                          int& Position) {
            if (Position >= 0 || Name.empty()) return;
            if (Type == ltVariable && Name.front() == 'v') {
                FEvaluator.Variables().Add(Name, &FCells[0], nullptr);
                Position = FEvaluator.Variables().Count() - 1;
            } else if (Type == ltConstant && Name.front() == 'c') {
                FEvaluator.Constants().Add(Name, 4, 0);
                Position = FEvaluator.Constants().Count() - 1;
            } else if (Type == ltFunction && Name.front() == 'u') {
                FEvaluator.Functions().Add(Name, 1, Sum);
                Position = FEvaluator.Functions().Count() - 1;
            }
        };
        break;
    }
}

// FunctionIndexByName finds the first equation of that name, as a plain search would.
void TSession::RequireFunctionIndex(const std::string& Name) const {
    const auto& Equations = FEvaluator.Equations().Items();
    int First = -1;
    for (std::size_t I = 0; I < Equations.size() && First < 0; ++I)
        if (SameName(Equations[I]->FunctionName(), Name)) First = static_cast<int>(I);
    Require(FEvaluator.Equations().FunctionIndexByName(Name) == First,
            "FunctionIndexByName finds the first equation of that name");
}

} // namespace

int FuzzTables(const std::uint8_t* Data, std::size_t Size) {
    SilenceMessages();
    RandSeed(1);
    TFuzzInput Input(Data, Size);
    TSession Session(Input);
    Active = &Session;
    while (!Input.Empty())
        Session.Step();
    Active = nullptr;
    return 0;
}

} // namespace zoZezo::fuzz
