#include "FastBuiltins.h"

#include "Steps.h"
#include "zoZezo/Evaluator.h"

namespace zoZezo {

TBuiltin BuiltinOf(const TzoZezoEvaluator& Evaluator, TOperation Kind, int Index) {
    if (Kind == opOperator)
        if (const TOperator* Op = Evaluator.Operators().GetOperator(Index))
            for (int B = biNone + 1; B <= biLastOperator; ++B)
                if (BuiltinCallbacks[static_cast<std::size_t>(B)].Operator == Op->Callback)
                    return static_cast<TBuiltin>(B);
    if (Kind == opFunction)
        if (const TFunction* Fn = Evaluator.Functions().GetFunction(Index))
            for (int B = biLastOperator + 1; B < biCount && Fn->ParamCount == 1; ++B)
                if (BuiltinCallbacks[static_cast<std::size_t>(B)].Function == Fn->Callback)
                    return static_cast<TBuiltin>(B);
    return biNone; // every built-in function takes one argument
}

namespace {

// Whether Instruction is a literal exponent that steps::WholePower covers.
bool SmallWholeLiteral(const TInstruction& Instruction) {
    const long double Value = Instruction.Value;
    return Instruction.Kind == opRealNum && Value >= 0 && Value <= steps::MaxWholePower &&
           Value == static_cast<int>(Value);
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
            Instruction.Step =
                Consumed ? Fused(Instruction, BuiltinOf(Evaluator, opOperator, Code[I + 1].Index))
                         : steps::Push(Instruction.Kind, Pending > 0);
        }
        }
        Pending += StackEffect(Instruction.Kind, Instruction.Arity);
    }
}

} // namespace zoZezo
