#pragma once

// How the engine runs each instruction: the step it takes, chosen once when the code is
// compiled and kept in TInstruction::Step. A step names the built-in that the instruction's
// operator or function entry held at that time (the engine checks at every run that it still
// does), and joins an operand with the instructions after it that consume it at once: an
// operator (x+1), a whole literal exponent (x^2), a second operand and two operators
// (s + a*b), a function and an operator (s + Sin(x)). Each joined step falls back to running
// its instructions one by one when an entry no longer holds its built-in.

#include "engine/FastBuiltins.h"
#include "engine/StepList.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

namespace zoZezo {

class TzoZezoEvaluator;

namespace steps {

// The items of the lists in StepList.h, in their order.
#define ZOZEZO_ITEM(Unused, Item) Item,
#define ZOZEZO_BUILTIN_ITEM(Unused, Item) bi##Item,
inline constexpr TOperation OperandKinds[] = {ZOZEZO_OPERAND_KINDS(ZOZEZO_ITEM, )};
inline constexpr int WholePowers[] = {ZOZEZO_WHOLE_POWERS(ZOZEZO_ITEM, )};
inline constexpr TBuiltin PairInner[] = {ZOZEZO_PAIR_INNER(ZOZEZO_BUILTIN_ITEM, )};
inline constexpr TBuiltin PairOuter[] = {ZOZEZO_PAIR_OUTER(ZOZEZO_BUILTIN_ITEM, )};
inline constexpr TBuiltin CallFunctions[] = {ZOZEZO_PAIR_FUNCTIONS(ZOZEZO_BUILTIN_ITEM, )};
#undef ZOZEZO_ITEM
#undef ZOZEZO_BUILTIN_ITEM

template <class T, std::size_t N>
constexpr int IndexIn(const T (&List)[N], T Item) {
    for (std::size_t I = 0; I < N; ++I)
        if (List[I] == Item) return static_cast<int>(I);
    return -1;
}

// The operand kinds, the operator built-ins (biNone for any other callback) and the function
// built-ins (biNone again for any other), as the step codes count them.
inline constexpr int Operands = std::size(OperandKinds);
inline constexpr int Operators = biLastOperator + 1;
inline constexpr int Functions = biCount - biLastOperator;
inline constexpr int MaxWholePower = std::size(WholePowers) - 1;
inline constexpr int Outers = std::size(PairOuter);

// The step codes, family by family: each family's codes follow the last one's.

// An operand that the operator after it consumes at once.
constexpr std::uint8_t Fused(TOperation Kind, TBuiltin Operator) {
    return static_cast<std::uint8_t>(IndexIn(OperandKinds, Kind) * Operators + Operator);
}
// An operand that goes on the stack. The value on top moves down into the window, unless no
// value is pending yet (the first operand of a frame), as the code tells.
inline constexpr int FirstPush = Operands * Operators;
constexpr std::uint8_t Push(TOperation Kind, bool Spill) {
    return static_cast<std::uint8_t>(FirstPush + 2 * IndexIn(OperandKinds, Kind) + Spill);
}
// An operator whose left operand comes off the stack.
inline constexpr int FirstPop = FirstPush + 2 * Operands;
constexpr std::uint8_t Pop(TBuiltin Operator) {
    return static_cast<std::uint8_t>(FirstPop + Operator);
}
// A function call.
inline constexpr int FirstFunction = FirstPop + Operators;
constexpr std::uint8_t Function(TBuiltin Function) {
    const int Index = Function == biNone ? 0 : Function - biLastOperator;
    return static_cast<std::uint8_t>(FirstFunction + Index);
}
// A call of another equation.
inline constexpr std::uint8_t Call = FirstFunction + Functions;

// A whole literal exponent of "^" small enough to unroll its integer power, decided when the
// code is compiled.
inline constexpr int FirstWholePower = Call + 1;
constexpr std::uint8_t WholePower(int Exponent) {
    return static_cast<std::uint8_t>(FirstWholePower + Exponent);
}
// The exponent of a WholePower step.
constexpr int ExponentOf(std::uint8_t Step) {
    return Step - FirstWholePower;
}
// Whether a literal exponent of "^" is one that WholePower unrolls.
constexpr bool IsWholePower(long double Exponent) {
    return Exponent >= 0 && Exponent <= MaxWholePower && Exponent == static_cast<int>(Exponent);
}

// Two operands and the two operators after them, as in a + b*c or s + x^2: Top := Top outer
// (A inner B), the inner result never stored.
inline constexpr int FirstPair = FirstWholePower + std::size(WholePowers);
constexpr std::uint8_t Pair(TBuiltin Inner, TBuiltin Outer) {
    return static_cast<std::uint8_t>(FirstPair + IndexIn(PairInner, Inner) * Outers +
                                     IndexIn(PairOuter, Outer));
}

// An operand, a one-argument built-in function of it and an operator, as in s + Sin(x):
// Top := Top outer F(A), F(A) never stored.
inline constexpr int FirstFunctionPair = FirstPair + std::size(PairInner) * Outers;
constexpr std::uint8_t FunctionPair(TBuiltin Function, TBuiltin Outer) {
    return static_cast<std::uint8_t>(FirstFunctionPair + IndexIn(CallFunctions, Function) * Outers +
                                     IndexIn(PairOuter, Outer));
}

inline constexpr int Count = FirstFunctionPair + std::size(CallFunctions) * Outers;
static_assert(Count <= TInstruction::Unplanned, "step codes fit a byte, beside Unplanned");

static_assert(
    [] {
        for (int I = 0; I <= MaxWholePower; ++I)
            if (WholePowers[I] != I) return false;
        return true;
    }(),
    "ExponentOf counts the whole powers from 0, one by one");

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
