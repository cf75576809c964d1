#include "compiler/Compiler.h"

#include "engine/Steps.h"

#include <algorithm>
#include <climits>

namespace zoZezo {

using compiler::RowOf;
using enum compiler::TState;
using enum compiler::TTest;
using enum compiler::TAction;

namespace {

bool IsLetter(unsigned char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}
bool IsDigit(unsigned char C) {
    return C >= '0' && C <= '9';
}
bool IsNameChar(unsigned char C) {
    return IsLetter(C) || IsDigit(C) || C == '.';
}
bool IsSign(unsigned char C) {
    return C == '+' || C == '-';
}
bool IsOperatorChar(unsigned char C) {
    switch (C) {
    case '*':
    case '+':
    case '-':
    case '/':
    case '<':
    case '=':
    case '>':
    case '\\':
    case '^': return true;
    default: return false;
    }
}
bool IsTwoCharOperator(unsigned char Before, unsigned char C) {
    return (Before == '<' && C == '>') || (Before == '>' && C == '=') ||
           (Before == '<' && C == '=');
}

} // namespace

TCompiler::TCompiler(TEquation& Equation)
    : FEquation(Equation), FEvaluator(*Equation.Owner()->Evaluator()),
      FText(Equation.EquationStr()) {}

void TCompiler::Run() {
    MatchParentheses();
    FEquation.FCharClasses.reserve(FText.size());
    try {
        ParseExpression(0, BeforeHeader, BeforeHeader, 1, 0, static_cast<long>(FText.size()));
    } catch (const TStop&) {
        // An error found at the end of the text points one past it, where the missing part goes.
        const int Code = FEquation.FErrorCode;
        const bool PastTheEnd = Code == ceIdentifierNotDefined || Code == ceIncompleteEquation ||
                                Code == ceIncompleteExpression || Code == ceIncompleteNumber;
        const int Length = static_cast<int>(std::min<std::size_t>(FText.size(), INT_MAX));
        if (PastTheEnd && FEquation.FErrorPos == Length) ++FEquation.FErrorPos;
    }
}

// Pairs every opening parenthesis outside comments with its match, in one pass. A group's
// extent then costs nothing however deep it nests.
void TCompiler::MatchParentheses() {
    const char Open = FEvaluator.OpenParentesis, Close = FEvaluator.CloseParentesis;
    std::vector<std::size_t> Unmatched;
    const long Length = static_cast<long>(FText.size());
    for (long I = 0; I < Length; ++I) {
        const char C = FText[static_cast<std::size_t>(I)];
        if (C == FEvaluator.OpenComment) {
            for (int Depth = 1; Depth > 0 && I + 1 < Length;) {
                const char D = FText[static_cast<std::size_t>(++I)];
                Depth += D == FEvaluator.OpenComment ? 1 : D == FEvaluator.CloseComment ? -1 : 0;
            }
        } else if (C == Open) {
            Unmatched.push_back(FMatches.size());
            FMatches.emplace_back(I, -1);
        } else if (C == Close && !Unmatched.empty()) {
            FMatches[Unmatched.back()].second = I;
            Unmatched.pop_back();
        }
    }
}

long TCompiler::MatchingClose(long Open) const {
    auto Found =
        std::lower_bound(FMatches.begin(), FMatches.end(), std::pair<long, long>(Open, LONG_MIN));
    return Found != FMatches.end() && Found->first == Open ? Found->second : -1;
}

// Level := characters, each dispatched by the state table, then the end-of-text step.
void TCompiler::ParseExpression(int Level, TState Start, TState Prev, int ExpectedArgs, long Begin,
                                long Finish) {
    TLevel L{Begin, Finish, Begin - 1,         0, Start,        Prev,
             {},    -1,     FOperators.size(), 1, ExpectedArgs, Level};
    while (L.Pos + 1 < L.Finish) {
        L.Ch = static_cast<unsigned char>(FText[static_cast<std::size_t>(++L.Pos)]);
        if (L.Ch == static_cast<unsigned char>(FEvaluator.OpenComment))
            SkipComment(L);
        else
            Dispatch(L);
    }
    StepToEnd(L);
    if (Level == 0) FEquation.SetFunctionName(FHeaderName);
    FOperators.resize(L.OpBase);
}

// Comment := OpenComment ... CloseComment, nesting; an unclosed one runs to the end.
void TCompiler::SkipComment(TLevel& L) {
    auto& Classes = FEquation.FCharClasses;
    Classes += '0';
    for (int Depth = 1; Depth > 0 && L.Pos + 1 < L.Finish;) {
        L.Ch = static_cast<unsigned char>(FText[static_cast<std::size_t>(++L.Pos)]);
        if (L.Ch == static_cast<unsigned char>(FEvaluator.OpenComment))
            ++Depth;
        else if (L.Ch == static_cast<unsigned char>(FEvaluator.CloseComment))
            --Depth;
        Classes += '0';
    }
}

// Tries the current state's rules in order and carries out the first that holds.
void TCompiler::Dispatch(TLevel& L) {
    const auto Is = [&](char Syntax) { return L.Ch == static_cast<unsigned char>(Syntax); };
    const auto Holds = [&](compiler::TTest Test) {
        switch (Test) {
        case tNone: return false;
        case tBlank: return L.Ch == ' ';
        case tLetter: return IsLetter(L.Ch);
        case tNameChar: return IsNameChar(L.Ch);
        case tDigit: return IsDigit(L.Ch);
        case tSign: return IsSign(L.Ch);
        case tOperatorChar: return IsOperatorChar(L.Ch);
        case tTwoCharOperator:
            return L.Pos > L.Begin &&
                   IsTwoCharOperator(
                       static_cast<unsigned char>(FText[static_cast<std::size_t>(L.Pos - 1)]),
                       L.Ch);
        case tColon: return L.Ch == ':';
        case tExponent: return L.Ch == 'e';
        case tDecimalPoint: return Is(FEvaluator.DecimalPoint);
        case tImaginary: return Is(FEvaluator.Imaginary);
        case tOpen: return Is(FEvaluator.OpenParentesis);
        case tClose: return Is(FEvaluator.CloseParentesis);
        case tSeparator: return Is(FEvaluator.Separator);
        }
        return false;
    };
    const compiler::TStateRow& Row = RowOf(L.State);
    for (const compiler::TRule* Rule = Row.Rules; Rule->Test != tNone; ++Rule) {
        if (!Holds(Rule->Test)) continue;
        switch (Rule->Action) {
        case aStep: return Step(L, Rule->To);
        case aDecimalPoint: return StepToDecimalPoint(L);
        case aParseGroup: return ParseGroup(L, 1);
        case aSignedGroup: return SignedGroup(L);
        case aFunctionCall: return FunctionCall(L);
        case aNextArgument: return NextArgument(L);
        case aStartExpression: return StartExpression(L);
        }
    }
    Fail(L, Row.Error);
}

// Remembers where the decimal point stands in the number token, whatever character it is.
void TCompiler::StepToDecimalPoint(TLevel& L) {
    Step(L, Point);
    if (L.Ch <= ' ') L.Token += '.'; // a blank or control character is not collected by Step
    L.DecimalAt = static_cast<long>(L.Token.size()) - 1;
}

// Step := finish the token of the state being left, change state, classify the character and
// collect it into the token.
void TCompiler::Step(TLevel& L, TState T) {
    if (T != L.State && !L.Token.empty()) FinishToken(L, T);
    if (T != L.State) L.Prev = std::exchange(L.State, T);
    FEquation.FCharClasses += RowOf(L.State).Class;
    if (L.Ch > ' ') L.Token += static_cast<char>(L.Ch);
}

// End := finish the last token, then the end-of-text checks. They run even when finishing the
// token failed, and an error they find replaces that one.
void TCompiler::StepToEnd(TLevel& L) {
    bool TokenFailed = false;
    if (!L.Token.empty()) {
        try {
            FinishToken(L, End);
        } catch (const TStop&) {
            TokenFailed = true;
        }
    }
    EndOfTextChecks(L);
    if (TokenFailed) throw TStop{};
}

void TCompiler::FinishToken(TLevel& L, TState T) {
    const bool NumberEnds = T == Operand || T == AfterOperand || T == End;
    const TState S = L.State;
    if (S == Operand && L.Prev > Operand) {
        FinishOperator(L);
    } else if (S == Name) {
        FinishIdentifier(L);
    } else if ((S == Integer || S == Fraction || S == Exponent || S == ImaginarySuffix) &&
               NumberEnds) {
        FinishNumber(L);
    } else if (S == HeaderName) {
        FHeaderName = std::move(L.Token);
        L.Token.clear();
    } else if (S == Parameter) {
        FinishParam(L);
    }
    if (T == Parameter) L.Token.clear();
}

// The text may not stop inside the header or right after its colon, after an operator or sign,
// inside a number, or short of the arguments expected; otherwise the pending operators are
// emitted.
void TCompiler::EndOfTextChecks(TLevel& L) {
    const TState S = L.State;
    if (S > BeforeHeader && S <= Operand && L.Prev < Operand) Fail(L, ceIncompleteEquation);
    if (S == Operand || S == WordOperator || S == Sign) Fail(L, ceIncompleteExpression);
    if (S == Point || S == ExponentMark || S == ExponentSign) Fail(L, ceIncompleteNumber);
    if (L.ArgCounter < L.ExpectedArgs) Fail(L, ceTooFewArguments);
    FlushOperators(L);
}

bool TCompiler::StripSign(std::string& Token) {
    const bool Negative = !Token.empty() && Token.front() == '-';
    if (!Token.empty() && IsSign(static_cast<unsigned char>(Token.front()))) Token.erase(0, 1);
    return Negative;
}

// Looks Name up in a table and lets the host's OnAcceptLabel confirm, redirect or hide it.
// A position the handler gives outside the table counts as not found.
// The handler is called through a copy, so that it may replace OnAcceptLabel while it runs.
template <class Table>
int TCompiler::Lookup(const Table& Entries, const std::string& Name, TLabelType Type) {
    int Index = Entries.IndexOf(Name);
    if (FEvaluator.OnAcceptLabel)
        TAcceptLabelProc(FEvaluator.OnAcceptLabel)(&FEquation, Name, Type, Index);
    return Entries.InRange(Index) ? Index : -1;
}

// Operand name := parameter | variable | constant | equation without parameters.
void TCompiler::FinishIdentifier(TLevel& L) {
    const bool Negative = StripSign(L.Token);
    const std::string& Name = L.Token;
    int Index = FEquation.FLocalConstants.IndexOf(Name);
    if (Index >= 0) {
        Emit(opLocalVar, Index);
    } else if ((Index = Lookup(FEvaluator.Variables(), Name, ltVariable)) >= 0) {
        Emit(opVariable, Index);
    } else if ((Index = Lookup(FEvaluator.Constants(), Name, ltConstant)) >= 0) {
        Emit(opConstant, Index);
    } else if ((Index = FEquation.Owner()->FunctionIndexByName(Name)) >= 0) {
        if (FEquation.Owner()->GetEquation(Index)->LocalConstants().Count() != 0)
            Fail(L, ceParametersNeeded);
        Emit(opLocalFunction, Index);
    } else {
        Fail(L, ceIdentifierNotDefined);
    }
    if (Negative) EmitNegation(L);
    L.Token.clear();
}

// Number := digits [DecimalPoint digits] [e [sign] digits] [Imaginary], read as one literal.
void TCompiler::FinishNumber(TLevel& L) {
    std::string& Digits = L.Token;
    const bool IsImaginary = L.State == ImaginarySuffix;
    // The suffix is in the token unless it is a character that Step does not collect.
    if (IsImaginary && Digits.back() == FEvaluator.Imaginary) Digits.pop_back();
    if (L.DecimalAt >= 0) Digits[static_cast<std::size_t>(L.DecimalAt)] = '.';
    Emit(IsImaginary ? opImaginaryNum : opRealNum, 0, ValExt(Digits));
    Digits.clear();
    L.DecimalAt = -1;
}

// A parameter beyond MaxParameters is one too many, like an argument beyond a call's count.
void TCompiler::FinishParam(TLevel& L) {
    auto& Parameters = FEquation.FLocalConstants;
    if (Parameters.IndexOf(L.Token) >= 0) Fail(L, ceDuplicatedParameter);
    if (Parameters.Count() == MaxParameters) Fail(L, ceTooManyArguments);
    Parameters.Add(L.Token, 0.0L, 0.0L);
    L.Token.clear();
}

void TCompiler::FinishOperator(TLevel& L) {
    const int Index = FEvaluator.Operators().IndexOf(L.Token);
    if (Index < 0) Fail(L, ceOperatorNotDefined);
    PushOperator(L, Index, FEvaluator.Operators().GetOperator(Index)->Priority);
    L.Token.clear();
}

// Emits the pending operators that bind at least as tightly, then waits with this one.
void TCompiler::PushOperator(TLevel& L, int Index, int Priority) {
    while (FOperators.size() > L.OpBase && Priority >= FOperators.back().Priority) {
        Emit(opOperator, FOperators.back().Index);
        FOperators.pop_back();
    }
    FOperators.push_back({Index, Priority});
}

void TCompiler::FlushOperators(TLevel& L) {
    while (FOperators.size() > L.OpBase) {
        Emit(opOperator, FOperators.back().Index);
        FOperators.pop_back();
    }
}

// Group := OpenParentesis expression CloseParentesis, compiled one level deeper with ArgCount
// arguments separated by Separator.
void TCompiler::ParseGroup(TLevel& L, int ArgCount) {
    const long Open = L.Pos, Close = MatchingClose(Open);
    if (Close < 0) Fail(L, ceUnclosedParenthesis);
    if (Close == Open + 1) Fail(L, ceEmptyBlock);
    if (L.Level >= MaxLevel) Fail(L, ceNestingTooDeep);
    if (L.State == Operand && !L.Token.empty()) FinishOperator(L);
    Step(L, Operand);
    ParseExpression(L.Level + 1, Operand, Operand, ArgCount, Open + 1, Close);
    L.Pos = Close;
    L.Ch = static_cast<unsigned char>(FText[static_cast<std::size_t>(Close)]);
    L.State = AfterClose;
    FEquation.FCharClasses += RowOf(L.State).Class;
    L.Token.clear();
}

// Signed group := sign Group; a minus negates the group's value.
void TCompiler::SignedGroup(TLevel& L) {
    const bool Negative = !L.Token.empty() && L.Token.front() == '-';
    ParseGroup(L, 1);
    if (Negative) EmitNegation(L);
    L.Token.clear();
}

// Call := name Group, the name a function (asked of the host too) or an equation with parameters.
void TCompiler::FunctionCall(TLevel& L) {
    const bool Negative = StripSign(L.Token);
    // The name is used up here: it is not an operand for the step into the group to finish.
    const std::string Name = std::exchange(L.Token, {});
    int Index = Lookup(FEvaluator.Functions(), Name, ltFunction);
    if (Index >= 0) {
        const int ParamCount = FEvaluator.Functions().GetFunction(Index)->ParamCount;
        const auto Expected = static_cast<std::uint8_t>(ParamCount);
        ParseGroup(L, Expected);
        // a group holds at least one argument, also for a function without parameters
        Emit(opFunction, Index, 0, TInstruction::CallArity(ParamCount),
             std::max<std::uint8_t>(Expected, 1));
    } else if ((Index = FEquation.Owner()->FunctionIndexByName(Name)) >= 0) {
        const int Count = FEquation.Owner()->GetEquation(Index)->LocalConstants().Count();
        if (Count == 0) Fail(L, ceNoParametersNeeded);
        ParseGroup(L, static_cast<std::uint8_t>(Count));
        Emit(opLocalFunction, Index, 0, static_cast<std::uint8_t>(Count),
             static_cast<std::uint8_t>(Count));
    } else {
        Fail(L, ceFunctionNotDefined);
    }
    if (Negative) EmitNegation(L);
    L.Token.clear();
}

// Separator := ends one argument of a call; one more than expected is an error.
void TCompiler::NextArgument(TLevel& L) {
    if (++L.ArgCounter > L.ExpectedArgs) Fail(L, ceTooManyArguments);
    Step(L, Operand);
    FlushOperators(L);
    L.Token.clear();
}

// Header ':' := the expression begins.
void TCompiler::StartExpression(TLevel& L) {
    Step(L, Operand);
    L.Token.clear();
}

// A leading minus is a call of the one-parameter function found under "NEG".
void TCompiler::EmitNegation(TLevel& L) {
    const auto& Functions = FEvaluator.Functions();
    const int Index = Functions.IndexOf("NEG");
    if (Index < 0 || Functions.GetFunction(Index)->ParamCount != 1) Fail(L, ceFunctionNotDefined);
    Emit(opFunction, Index, 0, 1, 1);
}

void TCompiler::Emit(TOperation Kind, int Index, long double Value, std::uint8_t Arity,
                     std::uint8_t Args) {
    TInstruction Instruction;
    Instruction.Value = Value;
    Instruction.Index = Index;
    Instruction.Kind = Kind;
    Instruction.Arity = Arity;
    Instruction.Args = Args;
    FEquation.FCode.push_back(Instruction);
    FDepth += StackEffect(Kind, Arity);
    FEquation.FStackDepth = std::max(FEquation.FStackDepth, FDepth);
}

// The one place errors are recorded: the code and the absolute 1-based position of the character
// being examined. The compilation ends here.
void TCompiler::Fail(TLevel& L, TCompileError Code) {
    FEquation.FErrorCode = Code;
    FEquation.FErrorPos = static_cast<int>(std::min<long>(L.Pos + 1, INT_MAX));
    throw TStop{};
}

} // namespace zoZezo
