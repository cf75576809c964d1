#include "engine/Engine.h"

#include "engine/Steps.h"
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
template <class Table>
auto* EntryAt(const Table& Entries, int Index) {
    return Entries.InRange(Index) ? Entries.Items()[static_cast<std::size_t>(Index)] : nullptr;
}

// Why a call cannot run: its callee takes more parameters than it has arguments.
std::string MoreParameters(const char* Kind, const std::string& Name, int Count, int Args) {
    return std::string(Kind) + " '" + Name + "' it calls takes " + std::to_string(Count) +
           " parameters now, more than the " + std::to_string(Args) + " arguments of the call,";
}

} // namespace

using engine::TView;

void TEngine::ReadTables(const TFrame& Frame) {
    FTables = {TView<TOperator>(FEvaluator.Operators().Items()),
               TView<TConstant>(FEvaluator.Constants().Items()),
               TView<TVariable>(FEvaluator.Variables().Items()),
               TView<TFunction>(FEvaluator.Functions().Items()),
               TView<TConstant>(Frame.Equation->LocalConstants().Items())};
}

void TEngine::CannotRun(const std::string& Why) const {
    const TEquation& Equation = *Current().Equation;
    const std::string& Name =
        Equation.FunctionName().empty() ? Equation.EquationStr() : Equation.FunctionName();
    Refuse("Equation \"" + Name + "\" cannot run: " + Why);
}

void TEngine::Stale(const std::string& What) const {
    CannotRun(What + " since it was compiled; check the equation again");
}

// A step that no case of Execute runs: an instruction never planned, or a code that Steps.h gives
// and Execute lacks. Stops rather than loops.
void TEngine::Unrunnable(const TInstruction& Instruction) const {
    const auto Position = &Instruction - Current().Equation->Instructions().data();
    CannotRun("its instruction " + std::to_string(Position) + " has step " +
              std::to_string(Instruction.Step) +
              ", which the engine does not know (an internal "
              "error)");
}

void TEngine::Refuse(const std::string& Why) {
    throw EzoZezoEvaluatorError(Why);
}

void TEngine::RefuseRuns() const {
    throw EzoZezoRunBudgetError(
        "The computation would run equations more than " + std::to_string(FBudget) +
            " times, the evaluator's run budget; equations call each other too often, or the "
            "budget is too small for this computation: raise it with SetRunBudget",
        FBudget);
}

[[gnu::always_inline]] inline void TEngine::Widen(int Extra) {
    const std::size_t Used = FValuesTop;
    FValuesTop += static_cast<std::size_t>(Extra);
    if (FValuesTop > MaxValues)
        Refuse("The computation needs more than " + std::to_string(MaxValues) +
               " pending values; equations call each other too deeply");
    FValues.Reserve(FValuesTop, Used);
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
    if (++FRuns > FBudget) RefuseRuns();
    const auto& Parameters = Equation.LocalConstants().Items();
    for (std::size_t K = 0; K < Parameters.size(); ++K) {
        Parameters[K]->Re = K < Args.size() ? Args[K].Re : 0;
        Parameters[K]->Im = K < Args.size() ? Args[K].Im : 0;
    }
    const std::size_t Base = FValuesTop;
    Widen(Equation.StackDepth() + 1);
    FFrames.Reserve(FDepth + 1, FDepth);
    Equation.Lock();
    const auto Code = Equation.Instructions();
    FFrames.Data()[FDepth++] = {&Equation, Code.data(), Code.data() + Code.size(), Base, Base};
}

// Ends the current frame; its caller, if any, becomes current. Inline, so that the value the
// frame leaves can stay in registers.
[[gnu::always_inline]] inline void TEngine::Leave() {
    TFrame& Frame = Current();
    FValuesTop = Frame.Base;
    --FDepth;
    Frame.Equation->Unlock(); // frees an equation freed while it ran
}

// Leaves every frame after an exception, so that the engine is ready for the next computation.
void TEngine::Unwind() {
    while (FDepth > 0)
        Leave();
    FValuesTop = 0;
    FRunning = false;
}

// Calls the equation named by the instruction the current frame stopped after; the arguments
// stand in its window from Sp on. A callee that now takes fewer parameters than the call has
// arguments gets the top ones, the others staying in the caller's window; one that takes more
// is refused, since it would read below the call's arguments.
[[gnu::always_inline]] inline void TEngine::Call() {
    TFrame& Caller = Current();
    const TInstruction& Instruction = Caller.Ip[-1];
    TEquation* Callee = EntryAt(*Caller.Equation->Owner(), Instruction.Index);
    if (!Callee) Stale("an equation it calls is gone");
    const int Count = Callee->LocalConstants().Count();
    if (Count != Instruction.Args) [[unlikely]] {
        if (Count > Instruction.Args)
            Stale(MoreParameters("equation", Callee->FunctionName(), Count, Instruction.Args));
        Caller.Sp += static_cast<std::size_t>(Instruction.Args - Count);
        Widen(Instruction.Args - Count);
    }
    const std::size_t Sp = Caller.Sp;
    if (!Callee->Checked() || Callee->ErrorCode() != 0) [[unlikely]]
        return CallChecking(*Callee, Sp, Count);
    Enter(*Callee, {FValues.Data() + Sp, static_cast<std::size_t>(Count)});
}

// Calls a callee that must be compiled first or has a compile error. Host code runs meanwhile
// (OnAcceptLabel, the message handler), which may free the callee: it stays alive until its run
// has begun, and its frame keeps it then.
void TEngine::CallChecking(TEquation& Callee, std::size_t Sp, int Count) {
    const TEquation::THold Hold(Callee, false);
    struct TAfterHostCode {
        TEngine& Engine;
        ~TAfterHostCode() { Engine.ReadTables(Engine.Current()); }
    } Reread{*this};
    if (!Callee.Checked()) Callee.Check();
    if (Callee.ErrorCode() != 0) return ShowMessage(Callee.ErrorMsg());
    Enter(Callee, {FValues.Data() + Sp, static_cast<std::size_t>(Count)});
}

// The steps are forced inline into Execute: called, they would take their operands and results
// through memory.
template <TOperation Kind>
[[gnu::always_inline]] inline TComplex TEngine::Operand(const TInstruction& Instruction) const {
    if constexpr (Kind == opRealNum) { // the zero part hidden: see fast::Opaque
        return {Instruction.Value, fast::Opaque(0)};
    } else if constexpr (Kind == opImaginaryNum) {
        return {fast::Opaque(0), Instruction.Value};
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
    const TCalled Called = CallFunction(Instruction, Sp);
    fast::Assign(Top, Called.Value);
    Sp = Called.Sp;
    ReadTables(Frame);
}

// Calls a function's callback on the arguments that end with Last, the first deepest; returns
// the value now on top and the new Sp (Top itself is not passed, so that it stays in registers).
// The function's parameter count at this moment decides: 0 to 4, up to the call's arguments, takes
// that many of the top values; more is refused; a count outside 0 to 4 makes the call do nothing,
// the value at Last staying on top. Values the code did not plan for, because the count has shrunk
// since compiling, widen the window.
[[gnu::noinline]] TEngine::TCalled TEngine::CallFunction(const TInstruction& Instruction,
                                                         TComplex* Last) {
    const TFunction* Fn = EntryAt(FEvaluator.Functions(), Instruction.Index);
    if (!Fn || !Fn->Callback) Stale("a function it calls is gone or has lost its callback");
    const std::uint8_t Arity = TInstruction::CallArity(Fn->ParamCount);
    if (Arity != TInstruction::NoArity && Arity > Instruction.Args)
        Stale(MoreParameters("function", Fn->Name, Arity, Instruction.Args));
    if (Arity != Instruction.Arity) [[unlikely]] {
        const int Extra =
            StackEffect(opFunction, Arity) - StackEffect(opFunction, Instruction.Arity);
        if (Extra > 0) {
            const std::ptrdiff_t At = Last - FValues.Data();
            Widen(Extra);
            Last = FValues.Data() + At;
        }
    }
    if (Arity == TInstruction::NoArity) return {*Last, Last};
    return {Fn->Callback(std::span<const TComplex>(Last + 1 - Arity, Arity)), Last + 1 - Arity};
}

// Runs Frame's code from where it stands, with Top as the value on top of its stack. The views
// of the evaluator's tables are current: read when the computation began and after every piece
// of host code that ran since. Returns
// true when the code has ended, Top then holding the frame's value; false when it reached a call
// of another equation, which Call must make (the frame is saved, its arguments stored).
[[gnu::always_inline]] inline bool TEngine::Execute(TFrame& Frame, TComplex& Top) {
    FTables.Parameters = TView<TConstant>(Frame.Equation->LocalConstants().Items());
    TComplex* Sp = FValues.Data() + Frame.Sp;
    const TInstruction* Ip = Frame.Ip;
    const TInstruction* const End = Frame.End;
    while (Ip != End) {
        // A case for every step, made from the lists the step codes are made of (StepList.h):
        // a step is one jump and then straight code.
        switch (Ip->Step) {
#define ZOZEZO_FUSED(Kind, Builtin)                                                                \
    case steps::Fused(Kind, bi##Builtin):                                                          \
        Operator<bi##Builtin>(Frame, Ip[1], Top, Operand<Kind>(Ip[0]), Sp);                        \
        Ip += 2;                                                                                   \
        break;
#define ZOZEZO_FUSED_WITH(Unused, Kind) ZOZEZO_STEP_OPERATORS(ZOZEZO_FUSED, Kind)
            ZOZEZO_OPERAND_KINDS(ZOZEZO_FUSED_WITH, )
#define ZOZEZO_PUSH(Spill, Kind)                                                                   \
    case steps::Push(Kind, Spill): {                                                               \
        const TComplex Value = Operand<Kind>(*Ip++);                                               \
        if (Spill) Push(Sp, Top);                                                                  \
        fast::Assign(Top, Value);                                                                  \
        break;                                                                                     \
    }
            ZOZEZO_OPERAND_KINDS(ZOZEZO_PUSH, false)
            ZOZEZO_OPERAND_KINDS(ZOZEZO_PUSH, true)
#define ZOZEZO_POP(Unused, Builtin)                                                                \
    case steps::Pop(bi##Builtin): {                                                                \
        TComplex Left;                                                                             \
        fast::Assign(Left, *--Sp);                                                                 \
        Operator<bi##Builtin>(Frame, *Ip++, Left, Top, Sp);                                        \
        fast::Assign(Top, Left);                                                                   \
        break;                                                                                     \
    }
            ZOZEZO_STEP_OPERATORS(ZOZEZO_POP, )
#define ZOZEZO_FUNCTION(Unused, Builtin)                                                           \
    case steps::Function(bi##Builtin): Function<bi##Builtin>(Frame, *Ip++, Top, Sp); break;
            ZOZEZO_STEP_FUNCTIONS(ZOZEZO_FUNCTION, )
#define ZOZEZO_WHOLE_POWER(Unused, Exponent)                                                       \
    case steps::WholePower(Exponent):                                                              \
        WholePower<Exponent>(Frame, Ip, Top, Sp);                                                  \
        Ip += 2;                                                                                   \
        break;
            ZOZEZO_WHOLE_POWERS(ZOZEZO_WHOLE_POWER, )
#define ZOZEZO_PAIR(Inner, Outer)                                                                  \
    case steps::Pair(bi##Inner, bi##Outer):                                                        \
        if (PairStep<bi##Inner, bi##Outer>(Ip, Top))                                               \
            Ip += 4;                                                                               \
        else                                                                                       \
            PushAnyOperand(*Ip++, Top, Sp);                                                        \
        break;
#define ZOZEZO_PAIRS_WITH(Unused, Inner) ZOZEZO_PAIR_OUTER(ZOZEZO_PAIR, Inner)
            ZOZEZO_PAIR_INNER(ZOZEZO_PAIRS_WITH, )
#define ZOZEZO_FUNCTION_PAIR(Outer, Function)                                                      \
    case steps::FunctionPair(bi##Function, bi##Outer):                                             \
        if (FunctionPairStep<bi##Function, bi##Outer>(Ip, Top))                                    \
            Ip += 3;                                                                               \
        else                                                                                       \
            PushAnyOperand(*Ip++, Top, Sp);                                                        \
        break;
#define ZOZEZO_FUNCTION_PAIRS_WITH(Unused, Outer) ZOZEZO_PAIR_FUNCTIONS(ZOZEZO_FUNCTION_PAIR, Outer)
            ZOZEZO_PAIR_OUTER(ZOZEZO_FUNCTION_PAIRS_WITH, )
        case steps::Call:
            Push(Sp, Top);
            Frame.Sp = static_cast<std::size_t>(Sp - FValues.Data()) - Ip->Args;
            Frame.Ip = Ip + 1;
            return false;
        default: Unrunnable(*Ip);
#undef ZOZEZO_FUSED
#undef ZOZEZO_FUSED_WITH
#undef ZOZEZO_PUSH
#undef ZOZEZO_POP
#undef ZOZEZO_FUNCTION
#undef ZOZEZO_WHOLE_POWER
#undef ZOZEZO_PAIR
#undef ZOZEZO_PAIRS_WITH
#undef ZOZEZO_FUNCTION_PAIR
#undef ZOZEZO_FUNCTION_PAIRS_WITH
        }
    }
    return true;
}

long double TEngine::Run(TEquation& Equation, std::span<const TComplex> Args, long double* Im) {
    if (FRunning) {
        const auto Nested = std::make_unique<TEngine>(FEvaluator);
        return Nested->Run(Equation, Args, Im);
    }
    FRunning = true;
    FRuns = 0;
    FBudget = FEvaluator.RunBudget();
    try {
        const long double Re = RunHere(Equation, Args, Im);
        FRunning = false;
        return Re;
    } catch (...) {
        Unwind();
        throw;
    }
}

long double TEngine::RunHere(TEquation& Equation, std::span<const TComplex> Args, long double* Im) {
    Enter(Equation, Args);
    ReadTables(Current());
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

void TEngine::ReleaseStacks() {
    if (FRunning) Refuse("The memory of computations cannot be released while a computation runs");
    FValues.Release();
    FFrames.Release();
}

} // namespace zoZezo
