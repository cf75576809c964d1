#pragma once

// The lists that the engine's steps are made of, each written here and nowhere else:
// FastBuiltins.h makes TBuiltin and the callback of each built-in from them, Steps.h numbers the
// steps from them, and Engine.cpp makes one case of its switch for every step from them. Adding
// an item here gives it a code and a case; its fast path goes into fast::Operator or
// fast::Function (FastBuiltins.h), without which it runs through its callback.
//
// Each list calls X(Arg, Item) for every item, passing Arg on, so that lists can be crossed: a
// list calls a macro that calls another list with the item as its Arg.

// The built-in operators that run in place, operators before functions: Item names the
// built-in biItem and its callback OpItem.
#define ZOZEZO_FAST_OPERATORS(X, Arg)                                                              \
    X(Arg, Power)                                                                                  \
    X(Arg, Multiply)                                                                               \
    X(Arg, Divide)                                                                                 \
    X(Arg, Add)                                                                                    \
    X(Arg, Subtract)                                                                               \
    X(Arg, Greater)                                                                                \
    X(Arg, Less)                                                                                   \
    X(Arg, GreaterEqual)                                                                           \
    X(Arg, LessEqual)                                                                              \
    X(Arg, NotEqual)                                                                               \
    X(Arg, Equal)                                                                                  \
    X(Arg, And)                                                                                    \
    X(Arg, Or)                                                                                     \
    X(Arg, Xor)

// The built-in one-argument functions that run in place: Item names the built-in biItem and its
// callback FnItem.
#define ZOZEZO_FAST_FUNCTIONS(X, Arg)                                                              \
    X(Arg, Neg)                                                                                    \
    X(Arg, Exp)                                                                                    \
    X(Arg, Sin)                                                                                    \
    X(Arg, Cos)                                                                                    \
    X(Arg, Tan)                                                                                    \
    X(Arg, Sqrt)                                                                                   \
    X(Arg, ATan)                                                                                   \
    X(Arg, Re)                                                                                     \
    X(Arg, Im)                                                                                     \
    X(Arg, Abs)

// What an operator step or a function step may name: None (any other callback) or a built-in.
#define ZOZEZO_STEP_OPERATORS(X, Arg) X(Arg, None) ZOZEZO_FAST_OPERATORS(X, Arg)
#define ZOZEZO_STEP_FUNCTIONS(X, Arg) X(Arg, None) ZOZEZO_FAST_FUNCTIONS(X, Arg)

// The instruction kinds that push an operand.
#define ZOZEZO_OPERAND_KINDS(X, Arg)                                                               \
    X(Arg, opRealNum)                                                                              \
    X(Arg, opImaginaryNum) X(Arg, opConstant) X(Arg, opVariable) X(Arg, opLocalVar)

// The whole literal exponents of "^" that a step unrolls: x^2 and the like, the commonest
// powers. From 0 on, one by one.
#define ZOZEZO_WHOLE_POWERS(X, Arg)                                                                \
    X(Arg, 0)                                                                                      \
    X(Arg, 1) X(Arg, 2) X(Arg, 3) X(Arg, 4) X(Arg, 5) X(Arg, 6) X(Arg, 7) X(Arg, 8) X(Arg, 9)      \
        X(Arg, 10) X(Arg, 11) X(Arg, 12) X(Arg, 13) X(Arg, 14) X(Arg, 15) X(Arg, 16)

// The operators of a pair step, Top := Top Outer (A Inner B): Inner is one of these or "^" with
// a whole literal exponent; Outer one of these.
#define ZOZEZO_PAIR_INNER(X, Arg)                                                                  \
    X(Arg, Power) X(Arg, Add) X(Arg, Subtract) X(Arg, Multiply) X(Arg, Divide)
#define ZOZEZO_PAIR_OUTER(X, Arg) X(Arg, Add) X(Arg, Subtract) X(Arg, Multiply) X(Arg, Divide)

// The functions of a function pair step, Top := Top Outer F(A). Not Neg: inlined together,
// s + Neg(x) would turn into s - x, which carries a NaN with another sign.
#define ZOZEZO_PAIR_FUNCTIONS(X, Arg)                                                              \
    X(Arg, Exp) X(Arg, Sin) X(Arg, Cos) X(Arg, Tan) X(Arg, Sqrt) X(Arg, ATan)
