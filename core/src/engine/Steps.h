#pragma once

// How the engine runs each instruction: the step it takes, chosen once when the code is
// compiled and kept in TInstruction::Step. A step names the built-in that the instruction's
// operator or function entry held at that time (the engine checks at every run that it still
// does), and joins an operand with the instructions after it that consume it at once: an
// operator (x+1), a whole literal exponent (x^2), a second operand and two operators
// (s + a*b), a function and an operator (s + Sin(x)). Each joined step falls back to running
// its instructions one by one when an entry no longer holds its built-in.

#include "engine/FastBuiltins.h"

#include <cstdint>
#include <iterator>
#include <span>

namespace zoZezo {

class TzoZezoEvaluator;

namespace steps {

// The operand kinds, the operator built-ins (biNone for any other callback) and the function
// built-ins (biNone again for any other), as the step codes count them.
inline constexpr int Operands = 5;
inline constexpr int Operators = biLastOperator + 1;
inline constexpr int Functions = biCount - biLastOperator;

constexpr int OperandIndex(TOperation Kind) {
    return Kind < opOperator ? Kind : Kind - 1; // opRealNum, opImaginaryNum, then opConstant on
}

// An operand that the operator after it consumes at once.
constexpr std::uint8_t Fused(TOperation Kind, TBuiltin Operator) {
    return static_cast<std::uint8_t>(OperandIndex(Kind) * Operators + Operator);
}
// An operand that goes on the stack. The value on top moves down into the window, unless no
// value is pending yet (the first operand of a frame), as the code tells.
constexpr std::uint8_t Push(TOperation Kind, bool Spill) {
    return static_cast<std::uint8_t>(Operands * Operators + 2 * OperandIndex(Kind) + Spill);
}
// An operator whose left operand comes off the stack.
constexpr std::uint8_t Pop(TBuiltin Operator) {
    return static_cast<std::uint8_t>(Operands * Operators + 2 * Operands + Operator);
}
// A function call.
constexpr std::uint8_t Function(TBuiltin Function) {
    const int Index = Function == biNone ? 0 : Function - biLastOperator;
    return static_cast<std::uint8_t>(Operands * Operators + 2 * Operands + Operators + Index);
}
// A call of another equation.
inline constexpr std::uint8_t Call = Function(biATan) + 1;

// A whole literal exponent of "^" small enough to unroll its integer power: x^2 and the like,
// the commonest powers, decided when the code is compiled.
inline constexpr int MaxWholePower = 16;
inline constexpr int FirstWholePower = Call + 1;
constexpr std::uint8_t WholePower(int Exponent) {
    return static_cast<std::uint8_t>(FirstWholePower + Exponent);
}
// The exponent of a WholePower step.
constexpr int ExponentOf(std::uint8_t Step) {
    return Step - FirstWholePower;
}

static_assert(Functions == biATan - biLastOperator + 1, "every function built-in has a step");

// Two operands and the two operators after them, as in a + b*c or s + x^2: Top := Top outer
// (A inner B), the inner result never stored. Inner is one of + - * / or "^" with a whole
// literal exponent of WholePower's range; outer one of + - * /.
inline constexpr TBuiltin PairInner[] = {biPower, biAdd, biSubtract, biMultiply, biDivide};
inline constexpr TBuiltin PairOuter[] = {biAdd, biSubtract, biMultiply, biDivide};

constexpr int IndexIn(std::span<const TBuiltin> List, TBuiltin Builtin) {
    for (std::size_t I = 0; I < List.size(); ++I)
        if (List[I] == Builtin) return static_cast<int>(I);
    return -1;
}

inline constexpr int FirstPair = FirstWholePower + MaxWholePower + 1;
constexpr std::uint8_t Pair(TBuiltin Inner, TBuiltin Outer) {
    return static_cast<std::uint8_t>(FirstPair + IndexIn(PairInner, Inner) * 4 +
                                     IndexIn(PairOuter, Outer));
}

// An operand, a one-argument built-in function of it and an operator, as in s + Sin(x):
// Top := Top outer F(A), F(A) never stored. Not Neg: inlined together, s + Neg(x) would turn
// into s - x, which carries a NaN with another sign.
inline constexpr TBuiltin CallFunctions[] = {biExp, biSin, biCos, biTan, biSqrt, biATan};
inline constexpr int FirstFunctionPair = FirstPair + std::size(PairInner) * std::size(PairOuter);
constexpr std::uint8_t FunctionPair(TBuiltin Function, TBuiltin Outer) {
    return static_cast<std::uint8_t>(FirstFunctionPair + IndexIn(CallFunctions, Function) * 4 +
                                     IndexIn(PairOuter, Outer));
}

static_assert(FirstFunctionPair + std::size(CallFunctions) * std::size(PairOuter) <= 256,
              "step codes fit a byte");

} // namespace steps

// The change in pending values that an instruction causes, its arity being the one the code
// was compiled for (the engine refuses to run code whose callees have changed theirs).
constexpr int StackEffect(TOperation Kind, int Arity) {
    switch (Kind) {
    case opOperator: return -1;
    case opFunction: return Arity == TInstruction::NoArity ? 0 : 1 - Arity;
    case opLocalFunction: return 1 - Arity;
    default: return 1;
    }
}

// Chooses the step of every instruction of compiled code.
void PlanSteps(std::span<TInstruction> Code, const TzoZezoEvaluator& Evaluator);

} // namespace zoZezo
