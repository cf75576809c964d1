#include "engine/Steps.h"

#include <algorithm>

namespace zoZezo {
namespace {

// Whether Instruction is a literal exponent that steps::WholePower covers.
bool SmallWholeLiteral(const TInstruction& Instruction) {
    return Instruction.Kind == opRealNum && steps::IsWholePower(Instruction.Value);
}

// The step of the operand at I of Code when it starts a pair (see steps::Pair), else 0.
std::uint8_t PairAt(std::span<const TInstruction> Code, std::size_t I,
                    const TzoZezoEvaluator& Evaluator) {
    if (I + 3 >= Code.size() || Code[I + 1].Kind == opOperator || Code[I + 1].Kind > opLocalVar ||
        Code[I + 2].Kind != opOperator || Code[I + 3].Kind != opOperator)
        return 0;
    const TBuiltin Inner = BuiltinOf(Evaluator, opOperator, Code[I + 2].Index);
    const TBuiltin Outer = BuiltinOf(Evaluator, opOperator, Code[I + 3].Index);
    const bool InnerFits = Inner == biPower ? SmallWholeLiteral(Code[I + 1])
                                            : steps::IndexIn(steps::PairInner, Inner) >= 0;
    return InnerFits && steps::IndexIn(steps::PairOuter, Outer) >= 0 ? steps::Pair(Inner, Outer)
                                                                     : 0;
}

// The step of the operand at I of Code when a one-argument built-in function and an operator
// follow it (see steps::FunctionPair), else 0.
std::uint8_t FunctionPairAt(std::span<const TInstruction> Code, std::size_t I,
                            const TzoZezoEvaluator& Evaluator) {
    if (I + 2 >= Code.size() || Code[I + 1].Kind != opFunction || Code[I + 2].Kind != opOperator)
        return 0;
    const TBuiltin Function = BuiltinOf(Evaluator, opFunction, Code[I + 1].Index);
    const TBuiltin Outer = BuiltinOf(Evaluator, opOperator, Code[I + 2].Index);
    return steps::IndexIn(steps::CallFunctions, Function) >= 0 &&
                   steps::IndexIn(steps::PairOuter, Outer) >= 0
               ? steps::FunctionPair(Function, Outer)
               : 0;
}

// The step of an operand that the operator Op consumes at once.
std::uint8_t Fused(const TInstruction& Operand, TBuiltin Op) {
    if (Op == biPower && SmallWholeLiteral(Operand))
        return steps::WholePower(static_cast<int>(Operand.Value));
    return steps::Fused(Operand.Kind, Op);
}

} // namespace

void PlanSteps(std::span<TInstruction> Code, const TzoZezoEvaluator& Evaluator) {
    int Pending = 0; // values on the stack before the instruction
    for (std::size_t I = 0; I < Code.size(); ++I) {
        TInstruction& Instruction = Code[I];
        const TBuiltin Builtin = BuiltinOf(Evaluator, Instruction.Kind, Instruction.Index);
        switch (Instruction.Kind) {
        case opOperator: Instruction.Step = steps::Pop(Builtin); break;
        case opFunction: Instruction.Step = steps::Function(Builtin); break;
        case opLocalFunction: Instruction.Step = steps::Call; break;
        default: {
            const bool Consumed = I + 1 < Code.size() && Code[I + 1].Kind == opOperator;
            const std::uint8_t Pair = Pending == 0 ? 0
                                                   : std::max(PairAt(Code, I, Evaluator),
                                                              FunctionPairAt(Code, I, Evaluator));
            Instruction.Step =
                Consumed ? Fused(Instruction, BuiltinOf(Evaluator, opOperator, Code[I + 1].Index))
                : Pair   ? Pair
                         : steps::Push(Instruction.Kind, Pending > 0);
        }
        }
        Pending += StackEffect(Instruction.Kind, Instruction.Arity);
    }
}

} // namespace zoZezo
