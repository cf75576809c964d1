#pragma once

#include "compiler/Grammar.h"
#include "zoZezo/Equation.h"
#include "zoZezo/Evaluator.h"
#include "zoZezo/MathMsg.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zoZezo {

// Compiles one equation's text into its postfix code, character by character, as a state
// machine with one context per nesting level. Every error goes through Fail(), which ends the
// compilation where the error is found.
class TCompiler {
public:
    explicit TCompiler(TEquation& Equation);

    // Compiles the whole text: header, then expression.
    void Run();

    // The deepest a parenthesised group may nest.
    static constexpr int MaxLevel = 255;
    // The most parameters a header may declare: a call carries its argument count in a byte.
    static constexpr int MaxParameters = 255;

private:
    using TState = compiler::TState;

    // Thrown by Fail() to end the compilation; Run() catches it.
    struct TStop {};

    // One nesting level: the whole text, or the text inside one pair of parentheses.
    struct TLevel {
        long Begin, Finish; // absolute bounds of this level's text: [Begin, Finish)
        long Pos;           // absolute index of the current character
        unsigned char Ch = 0;
        TState State, Prev;
        std::string Token;
        long DecimalAt = -1; // where the decimal point stands in Token, -1 when it has none
        std::size_t OpBase;  // this level's part of the operator stack starts here
        int ArgCounter = 1;
        int ExpectedArgs;
        int Level;
    };

    struct TPendingOperator {
        int Index;
        int Priority;
    };

    void ParseExpression(int Level, TState Start, TState Prev, int ExpectedArgs, long Begin,
                         long Finish);
    void Dispatch(TLevel& L);
    void SkipComment(TLevel& L);
    void Step(TLevel& L, TState T);
    void StepToDecimalPoint(TLevel& L);
    void StepToEnd(TLevel& L);
    void FinishToken(TLevel& L, TState T);
    void EndOfTextChecks(TLevel& L);
    void FinishIdentifier(TLevel& L);
    void FinishNumber(TLevel& L);
    void FinishParam(TLevel& L);
    void FinishOperator(TLevel& L);
    void PushOperator(TLevel& L, int Index, int Priority);
    void FlushOperators(TLevel& L);
    void ParseGroup(TLevel& L, int ArgCount);
    void SignedGroup(TLevel& L);
    void FunctionCall(TLevel& L);
    void NextArgument(TLevel& L);
    void StartExpression(TLevel& L);
    void EmitNegation(TLevel& L);
    void Emit(TOperation Kind, int Index, long double Value = 0, std::uint8_t Arity = 0,
              std::uint8_t Args = 0);
    [[noreturn]] void Fail(TLevel& L, TCompileError Code);

    // Splits a leading sign off the token: returns whether it was '-', leaves the bare name.
    static bool StripSign(std::string& Token);
    template <class Table>
    int Lookup(const Table& Entries, const std::string& Name, TLabelType Type);
    long MatchingClose(long Open) const;
    void MatchParentheses();

    TEquation& FEquation;
    TzoZezoEvaluator& FEvaluator;
    const std::string& FText;
    std::string FHeaderName;
    std::vector<TPendingOperator> FOperators;
    // Each opening parenthesis outside comments with the position of its match (-1: none).
    std::vector<std::pair<long, long>> FMatches;
    int FDepth = 0;
};

} // namespace zoZezo
