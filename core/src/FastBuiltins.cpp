#include "FastBuiltins.h"

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

} // namespace zoZezo
