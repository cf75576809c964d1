#include "zoZezo/Builtins.h"

#include "zoZezo/Evaluator.h"

#include <cmath>

namespace zoZezo {
namespace {

struct TBuiltinFunction {
    const char* Name;
    int ParamCount;
    TFunctionCallback Callback;
};

struct TBuiltinOperator {
    const char* Name;
    int Priority;
    TOperatorCallback Callback;
};

// In registration order: compiled equations refer to these by position.
constexpr TBuiltinFunction BuiltinFunctions[] = {
    {"Neg", 1, FnNeg},   {"Not", 1, FnNot},   {"Exp", 1, FnExp},     {"Sin", 1, FnSin},
    {"Cos", 1, FnCos},   {"Tan", 1, FnTan},   {"If", 3, FnIf},       {"Abs", 1, FnAbs},
    {"Sqrt", 1, FnSqrt}, {"U", 1, FnU},       {"Rect", 1, FnRect},   {"Sinc", 1, FnSinc},
    {"Ln", 1, FnLn},     {"Imp", 1, FnImp},   {"Round", 1, FnRound}, {"Int", 1, FnInt},
    {"Odd", 1, FnOdd},   {"Rand", 1, FnRand}, {"Cosh", 1, FnCosh},   {"Sinh", 1, FnSinh},
    {"Tanh", 1, FnTanh}, {"Re", 1, FnRe},     {"Im", 1, FnIm},       {"Diode", 1, FnDiode},
    {"Asin", 1, FnAsin}, {"ACos", 1, FnACos}, {"ATan", 1, FnATan},
};

// In registration order; a smaller priority binds tighter.
constexpr TBuiltinOperator BuiltinOperators[] = {
    {"^", 0, OpPower},      {"*", 1, OpMultiply},  {"/", 1, OpDivide},
    {"\\", 1, OpRemainder}, {"+", 2, OpAdd},       {"-", 2, OpSubtract},
    {">", 3, OpGreater},    {"<", 3, OpLess},      {">=", 3, OpGreaterEqual},
    {"<=", 3, OpLessEqual}, {"<>", 3, OpNotEqual}, {"=", 3, OpEqual},
    {"and", 4, OpAnd},      {"or", 4, OpOr},       {"xor", 4, OpXor},
};

template <class Table, class Callback>
bool Holds(const Table& Entries, Callback Wanted) {
    for (const auto& Entry : Entries)
        if (Entry.Callback == Wanted) return true;
    return false;
}

} // namespace

bool IsBuiltin(TOperatorCallback Callback) {
    return Holds(BuiltinOperators, Callback);
}

bool IsBuiltin(TFunctionCallback Callback) {
    return Holds(BuiltinFunctions, Callback);
}

void RegisterBuiltins(TzoZezoEvaluator& Evaluator) {
    for (const TBuiltinFunction& F : BuiltinFunctions)
        Evaluator.Functions().Add(F.Name, F.ParamCount, F.Callback);
    Evaluator.Constants().Add("e", std::exp(1.0L), 0.0L);
    Evaluator.Constants().Add("pi", Pi, 0.0L);
    for (const TBuiltinOperator& Op : BuiltinOperators)
        Evaluator.Operators().Add(Op.Name, Op.Priority, Op.Callback);
}

} // namespace zoZezo
