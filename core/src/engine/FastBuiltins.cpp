#include "engine/FastBuiltins.h"

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

} // namespace zoZezo
