#include "FastBuiltins.h"
#include "Steps.h"
#include "zoZezo/Equation.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Evaluator.h"
#include "zoZezo/Exception.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <type_traits>

namespace zoZezo {
namespace {

// A stack of trivially copyable items that lives in place while it holds at most N of them and
// moves to the heap beyond: a run that fits allocates nothing. Items are addressed by position,
// since growing moves them.
template <class T, std::size_t N>
class TGrowingStack {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    T* Data() { return FData; }
    std::size_t Capacity() const { return FCapacity; }

    // Makes room for Count items, keeping the first Used ones.
    void Reserve(std::size_t Count, std::size_t Used) {
        if (Count > FCapacity) Grow(Count, Used);
    }

private:
    void Grow(std::size_t Count, std::size_t Used) {
        const std::size_t Capacity = std::max(Count, 2 * FCapacity);
        auto Heap = std::make_unique_for_overwrite<unsigned char[]>(Capacity * sizeof(T));
        T* Data = std::launder(reinterpret_cast<T*>(Heap.get()));
        std::memcpy(static_cast<void*>(Data), FData, Used * sizeof(T));
        FHeap = std::move(Heap);
        FData = Data;
        FCapacity = Capacity;
    }

    // Raw storage: items are written before they are read, so none is initialised up front.
    alignas(T) unsigned char FLocal[N * sizeof(T)];
    T* FData = std::launder(reinterpret_cast<T*>(FLocal));
    std::size_t FCapacity = N;
    std::unique_ptr<unsigned char[]> FHeap;
};

// The arity a call of a function with this parameter count has; see TInstruction::Arity.
std::uint8_t ArityOf(int ParamCount) {
    return ParamCount >= 0 && ParamCount <= 4 ? static_cast<std::uint8_t>(ParamCount)
                                              : TInstruction::NoArity;
}

template <class Table>
auto* EntryAt(const Table& Entries, int Index) {
    return Entries.InRange(Index) ? Entries.Items()[static_cast<std::size_t>(Index)] : nullptr;
}

// A table's entries as the steps read them: one range check and one load per lookup. Read again
// whenever a callback has run, since a callback may change the table.
template <class Item>
class TView {
public:
    TView() = default; // unset until a frame reads the tables
    explicit TView(const std::vector<Item*>& Items) : FData(Items.data()), FSize(Items.size()) {}
    // The entry at Index, or null when there is none.
    const Item* At(int Index) const {
        return static_cast<std::size_t>(Index) < FSize ? FData[Index] : nullptr;
    }

private:
    Item* const* FData;
    std::size_t FSize;
};

} // namespace

// Runs compiled code on a value stack.
//
// Calls of other equations do not recurse on the C++ stack: each call pushes a frame, so the
// depth of nesting is bounded by MaxCallDepth alone. Every frame has a window on the value
// stack, sized from the code's StackDepth().
//
// Speed comes from keeping values out of memory: an extended real that is stored and read back
// at once costs more than the arithmetic on it. So the value on top of the running frame's stack
// lives in a local (in registers) and the window holds only the values below it; an operand
// that an operator consumes at once is never pushed at all; built-in operators and functions run
// in place (FastBuiltins.h) rather than through callbacks that take their operands in memory;
// and the real part of the result leaves in a register. Table positions and callbacks are still
// read at every step, since the host may change them between runs.
class TEngine {
public:
    explicit TEngine(const TzoZezoEvaluator& Evaluator) : FEvaluator(Evaluator) {}

    // Runs Equation with Args bound to its parameters; returns the real part of its value and
    // stores the imaginary part in *Im, unless Im is null.
    long double Run(TEquation& Equation, std::span<const TComplex> Args, long double* Im);

    static constexpr std::size_t MaxCallDepth = 100000;
    static constexpr std::size_t MaxValues = std::size_t(1) << 20;
    // Nothing is cached, so a few lines that each name the line before several times make
    // the runs multiply; a computation refuses to go beyond this many.
    static constexpr std::size_t MaxRuns = 1000000;

private:
    struct TFrame {
        TEquation* Equation;
        const TInstruction* Ip;  // the next instruction
        const TInstruction* End; // past the last one
        std::size_t Base;        // the window's first position on the value stack
        std::size_t Sp;          // where the next value that goes below the top is stored
    };

    bool Execute(TFrame& Frame, TComplex& Top);
    template <TOperation Kind>
    TComplex Operand(const TInstruction& Instruction) const;
    template <TBuiltin Builtin>
    void Operator(const TFrame& Frame, const TInstruction& Instruction, TComplex& Left,
                  const TComplex& Right, TComplex* Scratch);
    TComplex AnyOperand(const TInstruction& Instruction) const;
    void PushAnyOperand(const TInstruction& Instruction, TComplex& Top, TComplex*& Sp) const;
    template <TBuiltin Inner, TBuiltin Outer>
    bool PairStep(const TInstruction* Step, TComplex& Top);
    template <TBuiltin Function, TBuiltin Outer>
    bool FunctionPairStep(const TInstruction* Step, TComplex& Top);
    template <int Exponent>
    void WholePower(const TFrame& Frame, const TInstruction* Step, TComplex& Top,
                    TComplex* Scratch);
    template <TBuiltin Builtin>
    void Function(const TFrame& Frame, const TInstruction& Instruction, TComplex& Top,
                  TComplex*& Sp);
    TComplex CallOperator(const TInstruction& Instruction, const TComplex* Operands) const;
    TComplex CallFunction(const TInstruction& Instruction, const TComplex* Last) const;

    void Enter(TEquation& Equation, std::span<const TComplex> Args);
    void Call();
    void Leave();

    [[noreturn]] void Stale(const char* What) const;
    [[noreturn]] static void Refuse(const std::string& Why);

    static void Push(TComplex*& Sp, const TComplex& Value) { fast::Assign(*Sp++, Value); }
    void ReadTables(const TFrame& Frame);

    TFrame& Current() { return FFrames.Data()[FDepth - 1]; }
    const TFrame& Current() const { return const_cast<TEngine*>(this)->Current(); }

    const TzoZezoEvaluator& FEvaluator;
    // The tables as the running frame's steps see them; see TView.
    struct {
        TView<TOperator> Operators;
        TView<TConstant> Constants;
        TView<TVariable> Variables;
        TView<TFunction> Functions;
        TView<TConstant> Parameters;
    } FTables;

    TGrowingStack<TComplex, 512> FValues; // room for the deepest nesting of groups
    std::size_t FValuesTop = 0;           // past the last window
    TGrowingStack<TFrame, 32> FFrames;
    std::size_t FDepth = 0;
    std::size_t FRuns = 0; // equation runs begun in this computation
};

void TEngine::ReadTables(const TFrame& Frame) {
    FTables = {TView<TOperator>(FEvaluator.Operators().Items()),
               TView<TConstant>(FEvaluator.Constants().Items()),
               TView<TVariable>(FEvaluator.Variables().Items()),
               TView<TFunction>(FEvaluator.Functions().Items()),
               TView<TConstant>(Frame.Equation->LocalConstants().Items())};
}

void TEngine::Stale(const char* What) const {
    const TEquation& Equation = *Current().Equation;
    const std::string& Name =
        Equation.FunctionName().empty() ? Equation.EquationStr() : Equation.FunctionName();
    Refuse("Equation \"" + Name + "\" cannot run: " + What +
           " since it was compiled; check the equation again");
}

void TEngine::Refuse(const std::string& Why) {
    throw EzoZezoEvaluatorError(Why);
}

// Starts a run of Equation: binds the arguments (missing ones are 0) and opens its frame. Its
// window holds the values below the top, and operands on their way to a callback:
// StackDepth() + 1 values at most. The stack starts as Top = 0, which a value pushed onto it
// replaces rather than buries.
[[gnu::always_inline]] inline void TEngine::Enter(TEquation& Equation,
                                                  std::span<const TComplex> Args) {
    if (FDepth == MaxCallDepth)
        Refuse("Equations call each other more than " + std::to_string(MaxCallDepth) +
               " levels deep");
    if (++FRuns > MaxRuns)
        Refuse("The computation runs equations more than " + std::to_string(MaxRuns) +
               " times; equations call each other too often");
    const auto& Parameters = Equation.LocalConstants().Items();
    for (std::size_t K = 0; K < Parameters.size(); ++K) {
        Parameters[K]->Re = K < Args.size() ? Args[K].Re : 0;
        Parameters[K]->Im = K < Args.size() ? Args[K].Im : 0;
    }
    const std::size_t Base = FValuesTop;
    FValuesTop += static_cast<std::size_t>(Equation.StackDepth()) + 1;
    if (FValuesTop > MaxValues)
        Refuse("The computation needs more than " + std::to_string(MaxValues) +
               " pending values; equations call each other too deeply");
    FValues.Reserve(FValuesTop, Base);
    FFrames.Reserve(FDepth + 1, FDepth);
    const auto Code = Equation.Instructions();
    FFrames.Data()[FDepth++] = {&Equation, Code.data(), Code.data() + Code.size(), Base, Base};
}

// Ends the current frame; its caller, if any, becomes current. Inline, so that the value the
// frame leaves can stay in registers.
[[gnu::always_inline]] inline void TEngine::Leave() {
    FValuesTop = Current().Base;
    --FDepth;
}

// Calls the equation named by the instruction the current frame stopped after; the arguments
// stand in its window from Sp on. Enters the callee, or, for a callee with a compile error,
// shows its message and leaves the caller to go on with 0 as the value of the call.
void TEngine::Call() {
    const TFrame& Caller = Current();
    const TInstruction& Instruction = Caller.Ip[-1];
    TEquation* Callee = EntryAt(*Caller.Equation->Owner(), Instruction.Index);
    if (!Callee) Stale("an equation it calls is gone");
    const int Count = Callee->LocalConstants().Count();
    if (Count != Instruction.Arity) Stale("an equation it calls has changed its parameters");
    if (!Callee->Checked()) Callee->Check();
    if (Callee->ErrorCode() != 0) return ShowMessage(Callee->ErrorMsg());
    Enter(*Callee, {FValues.Data() + Caller.Sp, static_cast<std::size_t>(Count)});
}

// The steps are forced inline into Execute: called, they would take their operands and results
// through memory.
template <TOperation Kind>
[[gnu::always_inline]] inline TComplex TEngine::Operand(const TInstruction& Instruction) const {
    if constexpr (Kind == opRealNum) {
        return {Instruction.Value, 0};
    } else if constexpr (Kind == opImaginaryNum) {
        return {0, Instruction.Value};
    } else if constexpr (Kind == opConstant) {
        const TConstant* C = FTables.Constants.At(Instruction.Index);
        if (!C) Stale("a constant it uses is gone");
        return {C->Re, C->Im};
    } else if constexpr (Kind == opVariable) {
        const TVariable* V = FTables.Variables.At(Instruction.Index);
        if (!V) Stale("a variable it uses is gone");
        return {V->RePtr ? *V->RePtr : 0, V->ImPtr ? *V->ImPtr : 0};
    } else {
        const TConstant* P = FTables.Parameters.At(Instruction.Index);
        if (!P) Stale("its parameters have changed");
        return {P->Re, P->Im};
    }
}

// An operand of a kind known only at run time.
[[gnu::always_inline]] inline TComplex TEngine::AnyOperand(const TInstruction& Instruction) const {
    switch (Instruction.Kind) {
    case opRealNum: return Operand<opRealNum>(Instruction);
    case opImaginaryNum: return Operand<opImaginaryNum>(Instruction);
    case opConstant: return Operand<opConstant>(Instruction);
    case opVariable: return Operand<opVariable>(Instruction);
    default: return Operand<opLocalVar>(Instruction);
    }
}

// Pushes the first operand of a pair step whose instructions must run one by one.
[[gnu::always_inline]] inline void TEngine::PushAnyOperand(const TInstruction& Instruction,
                                                           TComplex& Top, TComplex*& Sp) const {
    const TComplex Value = AnyOperand(Instruction);
    Push(Sp, Top);
    fast::Assign(Top, Value);
}

// Top := Top Outer (A Inner B), the pair step at Step: A, B and the two operators after them.
// Returns false, having changed nothing, when an entry no longer holds its built-in or "^" meets
// a complex base: the instructions must then run one by one.
template <TBuiltin Inner, TBuiltin Outer>
[[gnu::always_inline]] inline bool TEngine::PairStep(const TInstruction* Step, TComplex& Top) {
    const TOperator* In = FTables.Operators.At(Step[2].Index);
    const TOperator* Out = FTables.Operators.At(Step[3].Index);
    if (!In || In->Callback != BuiltinCallbacks[Inner].Operator || !Out ||
        Out->Callback != BuiltinCallbacks[Outer].Operator)
        return false;
    const TComplex A = AnyOperand(Step[0]);
    TComplex Value;
    if constexpr (Inner == biPower) {
        if (!fast::IsReal(A)) return false;
        fast::Assign(Value, fast::Real(IntPower(A.Re, steps::ExponentOf(Step[1].Step))));
    } else {
        fast::Operator(Inner, A, AnyOperand(Step[1]), Value);
    }
    TComplex Result;
    fast::Operator(Outer, Top, Value, Result);
    fast::Assign(Top, Result);
    return true;
}

// Top := Top Outer F(A), the function pair step at Step: A, the function F and the operator.
// Returns false, having changed nothing, when an entry no longer holds its built-in or F cannot
// run in place for A: the instructions must then run one by one.
template <TBuiltin Function, TBuiltin Outer>
[[gnu::always_inline]] inline bool TEngine::FunctionPairStep(const TInstruction* Step,
                                                             TComplex& Top) {
    const TFunction* Fn = FTables.Functions.At(Step[1].Index);
    const TOperator* Out = FTables.Operators.At(Step[2].Index);
    if (!Fn || Fn->Callback != BuiltinCallbacks[Function].Function || Fn->ParamCount != 1 || !Out ||
        Out->Callback != BuiltinCallbacks[Outer].Operator)
        return false;
    TComplex Value, Result;
    if (!fast::Function(Function, AnyOperand(Step[0]), Value)) return false;
    fast::Operator(Outer, Top, Value, Result);
    fast::Assign(Top, Result);
    return true;
}

// Left := Left operator Right: in place while the entry holds the built-in the step names,
// otherwise through the callback, with the operands stored at Scratch.
template <TBuiltin Builtin>
[[gnu::always_inline]] inline void
TEngine::Operator(const TFrame& Frame, const TInstruction& Instruction, TComplex& Left,
                  const TComplex& Right, TComplex* Scratch) {
    if constexpr (Builtin != biNone) {
        const TOperator* Op = FTables.Operators.At(Instruction.Index);
        TComplex Result;
        if (Op && Op->Callback == BuiltinCallbacks[Builtin].Operator &&
            fast::Operator(Builtin, Left, Right, Result))
            return fast::Assign(Left, Result);
    }
    fast::Assign(Scratch[0], Left);
    fast::Assign(Scratch[1], Right);
    fast::Assign(Left, CallOperator(Instruction, Scratch));
    ReadTables(Frame);
}

[[gnu::noinline]] TComplex TEngine::CallOperator(const TInstruction& Instruction,
                                                 const TComplex* Operands) const {
    const TOperator* Op = EntryAt(FEvaluator.Operators(), Instruction.Index);
    if (!Op || !Op->Callback) Stale("an operator it uses is gone or has lost its callback");
    return Op->Callback(Operands[0], Operands[1]);
}

// Top := Top ^ Exponent, a literal whole exponent, which makes a real Top's power the integer
// power that "^" takes for it; unrolled, since the exponent is known.
// Step points at the literal, the operator follows it.
template <int Exponent>
[[gnu::always_inline]] inline void TEngine::WholePower(const TFrame& Frame,
                                                       const TInstruction* Step, TComplex& Top,
                                                       TComplex* Scratch) {
    const TOperator* Op = FTables.Operators.At(Step[1].Index);
    if (Op && Op->Callback == OpPower && fast::IsReal(Top))
        return fast::Assign(Top, fast::Real(IntPower(Top.Re, Exponent)));
    Operator<biNone>(Frame, Step[1], Top, Operand<opRealNum>(Step[0]), Scratch);
}

// Applies a function to the arguments on top of the stack: in place while the entry holds the
// one-argument built-in the step names, otherwise through the callback.
template <TBuiltin Builtin>
[[gnu::always_inline]] inline void TEngine::Function(const TFrame& Frame,
                                                     const TInstruction& Instruction, TComplex& Top,
                                                     TComplex*& Sp) {
    if constexpr (Builtin != biNone) {
        const TFunction* Fn = FTables.Functions.At(Instruction.Index);
        TComplex Result;
        if (Fn && Fn->Callback == BuiltinCallbacks[Builtin].Function && Fn->ParamCount == 1 &&
            fast::Function(Builtin, Top, Result))
            return fast::Assign(Top, Result);
    }
    fast::Assign(*Sp, Top);
    fast::Assign(Top, CallFunction(Instruction, Sp));
    if (Instruction.Arity != TInstruction::NoArity) Sp += 1 - Instruction.Arity;
    ReadTables(Frame);
}

// Calls a function's callback on the arguments that end with Last, the first deepest. A function
// without a usable arity is not called: the value at Last stays on top.
[[gnu::noinline]] TComplex TEngine::CallFunction(const TInstruction& Instruction,
                                                 const TComplex* Last) const {
    const TFunction* Fn = EntryAt(FEvaluator.Functions(), Instruction.Index);
    if (!Fn || !Fn->Callback || ArityOf(Fn->ParamCount) != Instruction.Arity)
        Stale("a function it calls is gone, has lost its callback or changed its parameter count");
    if (Instruction.Arity == TInstruction::NoArity) return *Last;
    return Fn->Callback(std::span<const TComplex>(Last + 1 - Instruction.Arity, Instruction.Arity));
}

// The lists the step codes are made of (Steps.h), for the cases of Execute's one switch: every
// combination gets its own case, so that a step is one jump and then straight code.
// clang-format off
#define ZOZEZO_OPERAND_KINDS(X, Arg)                                                               \
    X(opRealNum, Arg) X(opImaginaryNum, Arg) X(opConstant, Arg) X(opVariable, Arg)                 \
    X(opLocalVar, Arg)
#define ZOZEZO_OPERATORS(X, Arg)                                                                   \
    X(Arg, biNone) X(Arg, biPower) X(Arg, biMultiply) X(Arg, biDivide) X(Arg, biAdd)               \
    X(Arg, biSubtract) X(Arg, biGreater) X(Arg, biLess) X(Arg, biGreaterEqual)                     \
    X(Arg, biLessEqual) X(Arg, biNotEqual) X(Arg, biEqual) X(Arg, biAnd) X(Arg, biOr)              \
    X(Arg, biXor)
#define ZOZEZO_PAIRS(X)                                                                            \
    X(biPower, biAdd) X(biPower, biSubtract) X(biPower, biMultiply) X(biPower, biDivide)           \
    X(biAdd, biAdd) X(biAdd, biSubtract) X(biAdd, biMultiply) X(biAdd, biDivide)                   \
    X(biSubtract, biAdd) X(biSubtract, biSubtract) X(biSubtract, biMultiply)                       \
    X(biSubtract, biDivide) X(biMultiply, biAdd) X(biMultiply, biSubtract)                         \
    X(biMultiply, biMultiply) X(biMultiply, biDivide) X(biDivide, biAdd) X(biDivide, biSubtract)   \
    X(biDivide, biMultiply) X(biDivide, biDivide)
#define ZOZEZO_FUNCTION_PAIRS(X, Outer)                                                            \
    X(biExp, Outer) X(biSin, Outer) X(biCos, Outer) X(biTan, Outer) X(biSqrt, Outer)               \
    X(biATan, Outer)
#define ZOZEZO_WHOLE_POWERS(X)                                                                     \
    X(0) X(1) X(2) X(3) X(4) X(5) X(6) X(7) X(8) X(9) X(10) X(11) X(12) X(13) X(14) X(15) X(16)
#define ZOZEZO_FUNCTIONS(X)                                                                        \
    X(biNone) X(biNeg) X(biExp) X(biSin) X(biCos) X(biTan) X(biSqrt) X(biATan)
// clang-format on

// Runs Frame's code from where it stands, with Top as the value on top of its stack. Returns
// true when the code has ended, Top then holding the frame's value; false when it reached a call
// of another equation, which Call must make (the frame is saved, its arguments stored).
[[gnu::always_inline]] inline bool TEngine::Execute(TFrame& Frame, TComplex& Top) {
    ReadTables(Frame);
    TComplex* const Values = FValues.Data();
    TComplex* Sp = Values + Frame.Sp;
    const TInstruction* Ip = Frame.Ip;
    const TInstruction* const End = Frame.End;
    while (Ip != End) {
        switch (Ip->Step) {
#define ZOZEZO_FUSED(Kind, Builtin)                                                                \
    case steps::Fused(Kind, Builtin):                                                              \
        Operator<Builtin>(Frame, Ip[1], Top, Operand<Kind>(Ip[0]), Sp);                            \
        Ip += 2;                                                                                   \
        break;
#define ZOZEZO_FUSED_WITH(Kind, Unused) ZOZEZO_OPERATORS(ZOZEZO_FUSED, Kind)
            ZOZEZO_OPERAND_KINDS(ZOZEZO_FUSED_WITH, )
#define ZOZEZO_PUSH(Kind, Spill)                                                                   \
    case steps::Push(Kind, Spill): {                                                               \
        const TComplex Value = Operand<Kind>(*Ip++);                                               \
        if (Spill) Push(Sp, Top);                                                                  \
        fast::Assign(Top, Value);                                                                  \
        break;                                                                                     \
    }
            ZOZEZO_OPERAND_KINDS(ZOZEZO_PUSH, false)
            ZOZEZO_OPERAND_KINDS(ZOZEZO_PUSH, true)
#define ZOZEZO_POP(Unused, Builtin)                                                                \
    case steps::Pop(Builtin): {                                                                    \
        TComplex Left;                                                                             \
        fast::Assign(Left, *--Sp);                                                                 \
        Operator<Builtin>(Frame, *Ip++, Left, Top, Sp);                                            \
        fast::Assign(Top, Left);                                                                   \
        break;                                                                                     \
    }
            ZOZEZO_OPERATORS(ZOZEZO_POP, )
#define ZOZEZO_FUNCTION(Builtin)                                                                   \
    case steps::Function(Builtin): Function<Builtin>(Frame, *Ip++, Top, Sp); break;
            ZOZEZO_FUNCTIONS(ZOZEZO_FUNCTION)
#define ZOZEZO_WHOLE_POWER(Exponent)                                                               \
    case steps::WholePower(Exponent):                                                              \
        WholePower<Exponent>(Frame, Ip, Top, Sp);                                                  \
        Ip += 2;                                                                                   \
        break;
            ZOZEZO_WHOLE_POWERS(ZOZEZO_WHOLE_POWER)
#define ZOZEZO_PAIR(Inner, Outer)                                                                  \
    case steps::Pair(Inner, Outer):                                                                \
        if (PairStep<Inner, Outer>(Ip, Top))                                                       \
            Ip += 4;                                                                               \
        else                                                                                       \
            PushAnyOperand(*Ip++, Top, Sp);                                                        \
        break;
            ZOZEZO_PAIRS(ZOZEZO_PAIR)
#define ZOZEZO_FUNCTION_PAIR(Function, Outer)                                                      \
    case steps::FunctionPair(Function, Outer):                                                     \
        if (FunctionPairStep<Function, Outer>(Ip, Top))                                            \
            Ip += 3;                                                                               \
        else                                                                                       \
            PushAnyOperand(*Ip++, Top, Sp);                                                        \
        break;
            ZOZEZO_FUNCTION_PAIRS(ZOZEZO_FUNCTION_PAIR, biAdd)
            ZOZEZO_FUNCTION_PAIRS(ZOZEZO_FUNCTION_PAIR, biSubtract)
            ZOZEZO_FUNCTION_PAIRS(ZOZEZO_FUNCTION_PAIR, biMultiply)
            ZOZEZO_FUNCTION_PAIRS(ZOZEZO_FUNCTION_PAIR, biDivide)
        case steps::Call:
            Push(Sp, Top);
            Frame.Sp = static_cast<std::size_t>(Sp - Values) - Ip->Arity;
            Frame.Ip = Ip + 1;
            return false;
#undef ZOZEZO_FUSED
#undef ZOZEZO_FUSED_WITH
#undef ZOZEZO_PUSH
#undef ZOZEZO_POP
#undef ZOZEZO_FUNCTION
#undef ZOZEZO_WHOLE_POWER
#undef ZOZEZO_PAIR
#undef ZOZEZO_FUNCTION_PAIR
        }
    }
    return true;
}

#undef ZOZEZO_OPERAND_KINDS
#undef ZOZEZO_OPERATORS
#undef ZOZEZO_FUNCTIONS
#undef ZOZEZO_WHOLE_POWERS
#undef ZOZEZO_PAIRS
#undef ZOZEZO_FUNCTION_PAIRS

long double TEngine::Run(TEquation& Equation, std::span<const TComplex> Args, long double* Im) {
    Enter(Equation, Args);
    TComplex Top;
    Top.Re = Top.Im = 0;
    for (;;) {
        if (Execute(Current(), Top)) {
            Leave();
            if (FDepth == 0) break;
        } else {
            Call();
            Top.Re = Top.Im = 0; // the callee's stack starts so; a failed call's value is this
        }
    }
    if (Im) *Im = Top.Im;
    return Top.Re;
}

namespace {

// Whether Equation may run: compiles it when unchecked; one with a compile error shows its
// message and yields 0 instead.
bool Runnable(TEquation& Equation) {
    if (!Equation.Checked()) Equation.Check();
    if (Equation.ErrorCode() == 0) return true;
    ShowMessage(Equation.ErrorMsg());
    return false;
}

} // namespace

TComplex TEquation::ComputeArgsC(std::span<const TComplex> Args) {
    TComplex Result;
    if (Runnable(*this)) Result.Re = TEngine(*FOwner->Evaluator()).Run(*this, Args, &Result.Im);
    return Result;
}

long double TEquation::Compute() {
    return Runnable(*this) ? TEngine(*FOwner->Evaluator()).Run(*this, {}, nullptr) : 0;
}

} // namespace zoZezo
