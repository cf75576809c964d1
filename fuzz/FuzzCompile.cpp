#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "zoZezo/zoZezo.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace zoZezo::fuzz {
namespace {

// Everything a compilation decides, in a form that two compilations can be compared in.
struct TOutcome {
    bool Ok;
    int Code, Pos;
    std::string Msg, Classes, Name;
    std::vector<std::string> Parameters;
    std::vector<TInstruction> Instructions;

    bool operator==(const TOutcome& Other) const {
        const auto Same = [](const TInstruction& A, const TInstruction& B) {
            return A.Kind == B.Kind && A.Index == B.Index && A.Arity == B.Arity &&
                   (A.Value == B.Value || (std::isnan(A.Value) && std::isnan(B.Value)));
        };
        return Ok == Other.Ok && Code == Other.Code && Pos == Other.Pos && Msg == Other.Msg &&
               Classes == Other.Classes && Name == Other.Name && Parameters == Other.Parameters &&
               std::equal(Instructions.begin(), Instructions.end(), Other.Instructions.begin(),
                          Other.Instructions.end(), Same);
    }
};

TOutcome Compile(TEquation& Equation) {
    const bool Ok = Equation.Check();
    std::vector<std::string> Parameters;
    for (const TConstant* Parameter : Equation.LocalConstants().Items())
        Parameters.push_back(Parameter->Name);
    return {Ok,
            Equation.ErrorCode(),
            Equation.ErrorPos(),
            Equation.ErrorMsg(),
            Equation.CharClasses(),
            Equation.FunctionName(),
            std::move(Parameters),
            {Equation.Instructions().begin(), Equation.Instructions().end()}};
}

// Answers the host's questions with positions that are sometimes right and often nonsense:
// past the end, far out of range, negative, redirected; names beginning with 'v' become new
// variables. Decided by the name alone, so that compiling twice asks and answers alike.
void AnswerOddly(TzoZezoEvaluator& Evaluator, const std::string& Name, TLabelType Type,
                 int& Position) {
    switch (Name.empty() ? '\0' : Name.front()) {
    case 'h': Position = INT_MAX; break;
    case 'k': Position = -1000; break;
    case 'n':
        Position = Type == ltVariable   ? Evaluator.Variables().Count()
                   : Type == ltConstant ? Evaluator.Constants().Count()
                                        : Evaluator.Functions().Count();
        break;
    case 'q':
        if (Type == ltFunction) Position = Evaluator.Functions().IndexOf("If");
        break;
    case 'v':
        if (Type == ltVariable && Position < 0) {
            Evaluator.Variables().Add(Name, nullptr, nullptr);
            Position = Evaluator.Variables().Count() - 1;
        }
        break;
    }
}

// A well-formed program: linked in order, every position naming an entry, every call taking
// the arguments its callee expects, and one value left on the stack.
void RequireWellFormed(const TEquation& Equation, const TzoZezoEvaluator& Evaluator) {
    const auto Code = Equation.Instructions();
    const TInstruction* Link = Equation.FirstInstruction();
    for (const TInstruction& Instruction : Code) {
        Require(Link == &Instruction, "the instructions are linked in order");
        Link = Instruction.Next;
    }
    Require(Link == nullptr, "the last instruction ends the list");
    int Depth = 0, Deepest = 0;
    for (const TInstruction& I : Code) {
        int Pops = 0;
        switch (I.Kind) {
        case opRealNum:
        case opImaginaryNum: Require(I.Index == 0, "a literal has index 0"); break;
        case opOperator:
            Require(Evaluator.Operators().InRange(I.Index), "an operator position is valid");
            Pops = 2;
            break;
        case opConstant:
            Require(Evaluator.Constants().InRange(I.Index), "a constant position is valid");
            break;
        case opVariable:
            Require(Evaluator.Variables().InRange(I.Index), "a variable position is valid");
            break;
        case opLocalVar:
            Require(Equation.LocalConstants().InRange(I.Index), "a parameter position is valid");
            break;
        case opFunction:
            Require(Evaluator.Functions().InRange(I.Index), "a function position is valid");
            Require(Evaluator.Functions().GetFunction(I.Index)->ParamCount == I.Arity,
                    "a function call takes as many arguments as the function has");
            Pops = I.Arity;
            break;
        case opLocalFunction:
            Require(Evaluator.Equations().InRange(I.Index), "an equation position is valid");
            Require(Evaluator.Equations().GetEquation(I.Index)->LocalConstants().Count() == I.Arity,
                    "an equation call takes as many arguments as the equation has parameters");
            Pops = I.Arity;
            break;
        default: Fail("an instruction has an unknown kind");
        }
        Require(Depth >= Pops, "no instruction takes values that were never pushed");
        Depth += 1 - Pops;
        Deepest = std::max(Deepest, Depth);
    }
    Require(Depth == (Code.empty() ? 0 : 1), "the code leaves exactly one value");
    Require(Deepest == Equation.StackDepth(), "StackDepth is the deepest the code goes");
}

void RequireConsistent(const TEquation& Equation, const TOutcome& Outcome,
                       const TzoZezoEvaluator& Evaluator) {
    const std::size_t Length = Equation.EquationStr().size();
    Require(Equation.Checked(), "Check leaves the equation checked");
    Require(Outcome.Code >= 0 && static_cast<std::size_t>(Outcome.Code) < MathMsg.size(),
            "the error code indexes MathMsg");
    Require(Outcome.Ok == (Outcome.Code == 0), "Check succeeds exactly when there is no error");
    Require(Outcome.Msg == MathMsg[static_cast<std::size_t>(Outcome.Code)],
            "ErrorMsg is MathMsg[ErrorCode]");
    Require(std::all_of(Outcome.Classes.begin(), Outcome.Classes.end(),
                        [](char C) { return C >= '0' && C <= '3'; }),
            "every character class is a digit from 0 to 3");
    if (Outcome.Ok) {
        Require(Outcome.Classes.size() == Length, "a compiled text has one class per character");
        RequireWellFormed(Equation, Evaluator);
    } else {
        Require(Outcome.Pos >= 1 && static_cast<std::size_t>(Outcome.Pos) <= Length + 1,
                "the error position is inside the text or one past its end");
        Require(Outcome.Classes.size() <= Length,
                "a failed text has no more classes than characters");
    }
}

// Compiles Text twice in an evaluator that knows two variables, two equations and an odd
// OnAcceptLabel handler, with the syntax characters Syntax (or the defaults when it is empty).
void CompileTwice(std::string_view Text, std::string_view Syntax) {
    TzoZezoEvaluator Evaluator;
    long double Cells[2] = {1.5L, -2};
    Evaluator.Variables().Add("x", &Cells[0], nullptr);
    Evaluator.Variables().Add("y", &Cells[1], &Cells[0]);
    Evaluator.Equations().Add("f(a;b): a*b")->Check();
    Evaluator.Equations().Add("w: 1")->Check();
    Evaluator.OnAcceptLabel = [&Evaluator](TEquation*, const std::string& Name, TLabelType Type,
                                           int& Position) {
        AnswerOddly(Evaluator, Name, Type, Position);
    };
    if (!Syntax.empty()) {
        const auto Characters = SyntaxCharacters(Evaluator);
        for (std::size_t K = 0; K < Characters.size(); ++K)
            *Characters[K] = Syntax[K];
    }
    TEquation& Equation = *Evaluator.Equations().Add(std::string(Text));
    const TOutcome First = Compile(Equation);
    RequireConsistent(Equation, First, Evaluator);
    Require(Compile(Equation) == First, "compiling the same text twice gives the same result");
}

} // namespace

int FuzzCompile(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    CompileTwice(Input, {});
    constexpr std::size_t SyntaxLength = 7;
    if (Size > SyntaxLength && Input.front() == '\0')
        CompileTwice(Input.substr(1 + SyntaxLength), Input.substr(1, SyntaxLength));
    return 0;
}

} // namespace zoZezo::fuzz
