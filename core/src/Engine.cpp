#include "FastBuiltins.h"
#include "zoZezo/Equation.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Evaluator.h"
#include "zoZezo/Exception.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace zoZezo {

// Runs compiled code on a value stack.
//
// Calls of other equations do not recurse on the C++ stack: each call pushes a frame, so the
// depth of nesting is bounded by MaxCallDepth alone. Small runs live entirely in the engine's
// own arrays; only deep or wide ones take heap blocks.
//
// Speed comes from keeping values out of memory. Extended reals that are stored and read back
// at once cost far more than the arithmetic on them, so the value on top of the running frame's
// stack lives in a local (in registers) and only the values below it in the frame's window; an
// operand that an operator consumes right away is never pushed at all; and built-in operators
// and functions run in place (FastBuiltins.h) rather than through their callbacks, which would
// need their operands in memory. Table positions and callbacks are still read at every step,
// since the host may change them between runs.
class TEngine {
public:
    TEngine(const TzoZezoEvaluator& Evaluator)
        : FOperators(Evaluator.Operators()), FConstants(Evaluator.Constants()),
          FVariables(Evaluator.Variables()), FFunctions(Evaluator.Functions()) {}

    TComplex Run(TEquation& Equation, std::span<const TComplex> Args);

    static constexpr std::size_t MaxCallDepth = 100000;
    static constexpr std::size_t MaxValues = std::size_t(1) << 20;

private:
    struct TFrame {
        TEquation* Equation;
        const TInstruction* Ip;  // the next instruction
        const TInstruction* End; // past the last one
        TComplex* Sp;            // where the window stores the next value that goes below the top
        std::size_t Window;      // the number of values this frame reserved
        TComplex* CallerTop;     // the top of the value storage before this frame reserved
        std::size_t CallerBlock; // the block that top is in
    };

    bool Execute(TFrame& Frame, TComplex& Top);
    TComplex Operand(const TInstruction& Instruction, const TFrame& Frame) const;
    TComplex Operator(const TInstruction& Instruction, const TComplex& A, const TComplex& B,
                      TComplex* Scratch) const;
    bool FastFunction(const TInstruction& Instruction, TComplex& Top) const;
    TComplex CallOperator(const TInstruction& Instruction, const TComplex* Operands) const;
    TComplex CallFunction(const TInstruction& Instruction, const TComplex* Last) const;

    void Enter(TEquation& Equation, std::span<const TComplex> Args);
    void Call(TComplex& Top);
    void Leave();
    TComplex* Reserve(std::size_t Count);

    [[noreturn]] void Stale(const char* What) const;
    [[noreturn]] static void Refuse(const std::string& Why);

    static void Push(TComplex*& Sp, const TComplex& Value) { fast::Assign(*Sp++, Value); }

    const TOperators& FOperators;
    const TConstants& FConstants;
    const TVariables& FVariables;
    const TFunctions& FFunctions;

    static constexpr std::size_t LocalValues = 256, LocalFrames = 32, HeapBlock = 2048;

    // Raw storage: values are written before they are read, so none is initialised up front.
    using TBlock = std::unique_ptr<unsigned char[]>;
    alignas(TComplex) unsigned char FLocalStorage[LocalValues * sizeof(TComplex)];
    TComplex* const FLocal = std::launder(reinterpret_cast<TComplex*>(FLocalStorage));
    std::vector<TBlock> FBlocks; // heap blocks, kept for reuse in the run
    std::vector<std::size_t> FBlockSizes;
    std::size_t FBlock = 0; // 0: FLocal; k > 0: FBlocks[k - 1]
    TComplex* FTop = FLocal;
    TComplex* FLimit = FLocal + LocalValues;
    std::size_t FValuesInUse = 0;

    TFrame FLocalFrames[LocalFrames];
    std::vector<TFrame> FMoreFrames;
    std::size_t FDepth = 0;
    TFrame* FFrame = nullptr;
};

namespace {

// The arity a call of a function with this parameter count has; see TInstruction::Arity.
std::uint8_t ArityOf(int ParamCount) {
    return ParamCount >= 0 && ParamCount <= 4 ? static_cast<std::uint8_t>(ParamCount)
                                              : TInstruction::NoArity;
}

template <class Table>
auto* EntryAt(const Table& Entries, int Index) {
    return Entries.InRange(Index) ? Entries.Items()[static_cast<std::size_t>(Index)] : nullptr;
}

TComplex* BlockValues(const std::unique_ptr<unsigned char[]>& Block) {
    return std::launder(reinterpret_cast<TComplex*>(Block.get()));
}

} // namespace

void TEngine::Stale(const char* What) const {
    const TEquation& Equation = *FFrame->Equation;
    const std::string& Name =
        Equation.FunctionName().empty() ? Equation.EquationStr() : Equation.FunctionName();
    Refuse("Equation \"" + Name + "\" cannot run: " + What +
           " since it was compiled; check the equation again");
}

void TEngine::Refuse(const std::string& Why) {
    throw EzoZezoEvaluatorError(Why);
}

// Takes Count contiguous values for a frame's stack window, from the local array while it
// lasts, then from heap blocks that stay for the rest of the run.
TComplex* TEngine::Reserve(std::size_t Count) {
    if (FValuesInUse + Count > MaxValues)
        Refuse("The computation needs more than " + std::to_string(MaxValues) +
               " pending values; equations call each other too deeply");
    if (static_cast<std::size_t>(FLimit - FTop) < Count) {
        const std::size_t Next = FBlock; // index into FBlocks of the block after the current one
        if (Next == FBlocks.size() || FBlockSizes[Next] < Count) {
            const std::size_t Size = std::max(Count, HeapBlock);
            FBlocks.resize(Next + 1);
            FBlockSizes.resize(Next + 1);
            FBlocks[Next] = TBlock(
                new (std::align_val_t(alignof(TComplex))) unsigned char[Size * sizeof(TComplex)]);
            FBlockSizes[Next] = Size;
        }
        FBlock = Next + 1;
        FTop = BlockValues(FBlocks[Next]);
        FLimit = FTop + FBlockSizes[Next];
    }
    TComplex* Window = FTop;
    FTop += Count;
    FValuesInUse += Count;
    return Window;
}

// Starts a run of Equation: binds the arguments (missing ones are 0) and opens its frame.
void TEngine::Enter(TEquation& Equation, std::span<const TComplex> Args) {
    if (FDepth == MaxCallDepth)
        Refuse("Equations call each other more than " + std::to_string(MaxCallDepth) +
               " levels deep");
    const auto& Parameters = Equation.LocalConstants().Items();
    for (std::size_t K = 0; K < Parameters.size(); ++K) {
        const TComplex Value = K < Args.size() ? Args[K] : TComplex{};
        Parameters[K]->Re = Value.Re;
        Parameters[K]->Im = Value.Im;
    }
    // The top of the stack stays out of the window, which holds slot 0 and the values below
    // the top: StackDepth + 1 values at most.
    const std::size_t Window = static_cast<std::size_t>(Equation.StackDepth()) + 1;
    const auto Code = Equation.Instructions();
    const TFrame Frame{&Equation, Code.data(), Code.data() + Code.size(), nullptr, Window,
                       FTop,      FBlock};
    if (FDepth >= LocalFrames)
        FMoreFrames.resize(std::max(FMoreFrames.size(), FDepth - LocalFrames + 1));
    FFrame = FDepth < LocalFrames ? &FLocalFrames[FDepth] : &FMoreFrames[FDepth - LocalFrames];
    *FFrame = Frame;
    FFrame->Sp = Reserve(Window);
    ++FDepth;
}

// Ends the current frame; the caller's frame, if any, becomes current.
void TEngine::Leave() {
    FValuesInUse -= FFrame->Window;
    FTop = FFrame->CallerTop;
    FBlock = FFrame->CallerBlock;
    FLimit = FBlock == 0 ? FLocal + LocalValues
                         : BlockValues(FBlocks[FBlock - 1]) + FBlockSizes[FBlock - 1];
    --FDepth;
    FFrame = FDepth == 0                ? nullptr
             : FDepth - 1 < LocalFrames ? &FLocalFrames[FDepth - 1]
                                        : &FMoreFrames[FDepth - 1 - LocalFrames];
}

// Calls the equation named by the instruction the current frame stopped after; its arguments
// stand in the frame's window from Sp on. Either enters the callee, whose stack starts with
// Top = 0, or, for a callee with a compile error, shows its message and leaves Top = 0 as the
// value of the call.
void TEngine::Call(TComplex& Top) {
    TFrame& Caller = *FFrame;
    const TInstruction& Instruction = Caller.Ip[-1];
    TEquation* Callee = EntryAt(*Caller.Equation->Owner(), Instruction.Index);
    if (!Callee) Stale("an equation it calls is gone");
    const int Count = Callee->LocalConstants().Count();
    if (Count != Instruction.Arity) Stale("an equation it calls has changed its parameters");
    Top = TComplex{};
    if (!Callee->Checked()) Callee->Check();
    if (Callee->ErrorCode() != 0) return ShowMessage(Callee->ErrorMsg());
    Enter(*Callee, std::span<const TComplex>(Caller.Sp, static_cast<std::size_t>(Count)));
}

// The hot steps are forced inline into Execute: called, they would take their operands and
// results through memory.
[[gnu::always_inline]] inline TComplex TEngine::Operand(const TInstruction& Instruction,
                                                        const TFrame& Frame) const {
    switch (Instruction.Kind) {
    case opRealNum: return {Instruction.Value, 0};
    case opImaginaryNum: return {0, Instruction.Value};
    case opConstant: {
        const TConstant* C = EntryAt(FConstants, Instruction.Index);
        if (!C) Stale("a constant it uses is gone");
        return {C->Re, C->Im};
    }
    case opVariable: {
        const TVariable* V = EntryAt(FVariables, Instruction.Index);
        if (!V) Stale("a variable it uses is gone");
        return {V->RePtr ? *V->RePtr : 0, V->ImPtr ? *V->ImPtr : 0};
    }
    default: {
        const TConstant* P = EntryAt(Frame.Equation->LocalConstants(), Instruction.Index);
        if (!P) Stale("its parameters have changed");
        return {P->Re, P->Im};
    }
    }
}

// A operator B: in place while the entry holds the built-in the code was compiled against,
// otherwise through the callback, with the operands stored at Scratch.
[[gnu::always_inline]] inline TComplex TEngine::Operator(const TInstruction& Instruction,
                                                         const TComplex& A, const TComplex& B,
                                                         TComplex* Scratch) const {
    const TOperator* Op = EntryAt(FOperators, Instruction.Index);
    const auto Builtin = static_cast<TBuiltin>(Instruction.Builtin);
    TComplex Result;
    if (Op && Op->Callback == BuiltinCallbacks[Builtin].Operator &&
        fast::Operator(Builtin, A, B, Result))
        return Result;
    fast::Assign(Scratch[0], A);
    fast::Assign(Scratch[1], B);
    return CallOperator(Instruction, Scratch);
}

[[gnu::noinline]] TComplex TEngine::CallOperator(const TInstruction& Instruction,
                                                 const TComplex* Operands) const {
    const TOperator* Op = EntryAt(FOperators, Instruction.Index);
    if (!Op || !Op->Callback) Stale("an operator it uses is gone or has lost its callback");
    return Op->Callback(Operands[0], Operands[1]);
}

// Replaces Top by a built-in one-argument function's value when it can run in place.
[[gnu::always_inline]] inline bool TEngine::FastFunction(const TInstruction& Instruction,
                                                         TComplex& Top) const {
    const TFunction* Fn = EntryAt(FFunctions, Instruction.Index);
    const auto Builtin = static_cast<TBuiltin>(Instruction.Builtin);
    TComplex Result;
    if (!Fn || Fn->Callback != BuiltinCallbacks[Builtin].Function || Fn->ParamCount != 1 ||
        !fast::Function(Builtin, Top, Result))
        return false;
    fast::Assign(Top, Result);
    return true;
}

// Calls a function's callback on the arguments that end with Last, the first deepest. A function
// without a usable arity is not called: the value at Last stays on top.
[[gnu::noinline]] TComplex TEngine::CallFunction(const TInstruction& Instruction,
                                                 const TComplex* Last) const {
    const TFunction* Fn = EntryAt(FFunctions, Instruction.Index);
    if (!Fn || !Fn->Callback || ArityOf(Fn->ParamCount) != Instruction.Arity)
        Stale("a function it calls is gone, has lost its callback or changed its parameter count");
    if (Instruction.Arity == TInstruction::NoArity) return *Last;
    return Fn->Callback(std::span<const TComplex>(Last + 1 - Instruction.Arity, Instruction.Arity));
}

// Runs Frame's code from where it stands, with Top as the value on top of its stack. Returns
// true when the code has ended, Top then holding the frame's value; false when it reached a call
// of another equation, which Call must make (the frame is saved, its arguments stored).
bool TEngine::Execute(TFrame& Frame, TComplex& Result) {
    TComplex Top;
    fast::Assign(Top, Result);
    TComplex* Sp = Frame.Sp;
    const TInstruction* Ip = Frame.Ip;
    const TInstruction* const End = Frame.End;
    while (Ip != End) {
        const TInstruction& Instruction = *Ip++;
        switch (Instruction.Kind) {
        case opRealNum:
        case opImaginaryNum:
        case opConstant:
        case opVariable:
        case opLocalVar: {
            const TComplex Value = Operand(Instruction, Frame);
            if (Ip != End && Ip->Kind == opOperator) { // the right operand: applied, not pushed
                fast::Assign(Top, Operator(*Ip++, Top, Value, Sp));
            } else {
                Push(Sp, Top);
                fast::Assign(Top, Value);
            }
            break;
        }
        case opOperator: {
            TComplex Left;
            fast::Assign(Left, *--Sp);
            fast::Assign(Top, Operator(Instruction, Left, Top, Sp));
            break;
        }
        case opFunction:
            if (FastFunction(Instruction, Top)) break;
            fast::Assign(*Sp, Top);
            fast::Assign(Top, CallFunction(Instruction, Sp));
            if (Instruction.Arity != TInstruction::NoArity) Sp += 1 - Instruction.Arity;
            break;
        case opLocalFunction:
            Push(Sp, Top);
            Frame.Ip = Ip;
            Frame.Sp = Sp - Instruction.Arity; // the arguments, taken off by the call
            return false;
        }
    }
    fast::Assign(Result, Top);
    return true;
}

TComplex TEngine::Run(TEquation& Equation, std::span<const TComplex> Args) {
    Enter(Equation, Args);
    TComplex Top{};
    for (;;) {
        if (!Execute(*FFrame, Top)) {
            Call(Top);
            continue;
        }
        Leave();
        if (FDepth == 0) return Top;
    }
}

TComplex TEquation::ComputeArgsC(std::span<const TComplex> Args) {
    if (!FChecked) Check();
    if (FErrorCode != 0) {
        ShowMessage(FErrorMsg);
        return {};
    }
    TEngine Engine(*FOwner->Evaluator());
    return Engine.Run(*this, Args);
}

} // namespace zoZezo
