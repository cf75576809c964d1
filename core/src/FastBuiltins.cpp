#include "FastBuiltins.h"

#include "Steps.h"
#include "zoZezo/Evaluator.h"

namespace zoZezo {

TBuiltin BuiltinOf(const TzoZezoEvaluator& Evaluator, TOperation Kind, int Index) {
    const TOperator* Op = Kind == opOperator ? Evaluator.Operators().GetOperator(Index) : nullptr;
    const TFunction* Fn = Kind == opFunction ? Evaluator.Functions().GetFunction(Index) : nullptr;
    if (Fn && Fn->ParamCount != 1) return biNone; // every built-in function takes one argument
    for (int B = biNone + 1; B < biCount; ++B) {
        const TBuiltinCallback& Known = BuiltinCallbacks[static_cast<std::size_t>(B)];
        if ((Op && Known.Operator && Known.Operator == Op->Callback) ||
            (Fn && Known.Function && Known.Function == Fn->Callback))
            return static_cast<TBuiltin>(B);
    }
    return biNone;
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

// The change in pending values that an instruction causes, its arity being the one the code
// was compiled for (the engine refuses to run code whose callees have changed theirs).
int StackEffect(const TInstruction& Instruction) {
    switch (Instruction.Kind) {
    case opOperator: return -1;
    case opFunction: return Instruction.Arity == TInstruction::NoArity ? 0 : 1 - Instruction.Arity;
    case opLocalFunction: return 1 - Instruction.Arity;
    default: return 1;
    }
}

void PlanSteps(std::span<TInstruction> Code, const TzoZezoEvaluator& Evaluator) {
    int Pending = 0; // values on the stack before the instruction
    for (std::size_t I = 0; I < Code.size(); Pending += StackEffect(Code[I++])) {
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
    }
}

} // namespace zoZezo
