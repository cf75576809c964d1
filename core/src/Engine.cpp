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

// Runs compiled code on a value stack. Calls of other equations do not recurse on the C++
// stack: each call pushes a frame, so the depth of nesting is bounded by MaxCallDepth alone.
// Small runs live entirely in the engine's own arrays; only deep or wide ones take heap blocks.
class TEngine {
public:
    TComplex Run(TEquation& Equation, std::span<const TComplex> Args);

    static constexpr std::size_t MaxCallDepth = 100000;
    static constexpr std::size_t MaxValues = std::size_t(1) << 20;
    // Nothing is cached, so a few lines that each name the line before several times make
    // the runs multiply; a computation refuses to go beyond this many.
    static constexpr std::size_t MaxRuns = 1000000;

private:
    struct TFrame {
        TEquation* Equation;
        const TInstruction* Ip;
        const TInstruction* End;
        TComplex* Sp;
        std::size_t Window;      // the number of values this frame reserved
        TComplex* CallerTop;     // the top of the value storage before this frame reserved
        std::size_t CallerBlock; // the block that top is in
    };

    void Enter(TEquation& Equation, std::span<const TComplex> Args);
    TComplex* Reserve(std::size_t Count);
    void Call(const TInstruction& Call);
    TComplex Leave();

    [[noreturn]] void Stale(const char* What) const;
    [[noreturn]] static void Refuse(const std::string& Why);
    std::string NameOf(const TEquation& Equation) const;

    static constexpr std::size_t LocalValues = 256, LocalFrames = 32, HeapBlock = 65536;

    // Raw storage: values are written before they are read, so none is initialised up front.
    alignas(TComplex) unsigned char FLocalStorage[LocalValues * sizeof(TComplex)];
    TComplex* const FLocal = std::launder(reinterpret_cast<TComplex*>(FLocalStorage));
    std::vector<std::unique_ptr<TComplex[]>> FBlocks; // heap blocks, kept for reuse in the run
    std::vector<std::size_t> FBlockSizes;
    std::size_t FBlock = 0; // 0: FLocal; k > 0: FBlocks[k - 1]
    TComplex* FTop = FLocal;
    TComplex* FLimit = FLocal + LocalValues;
    std::size_t FValuesInUse = 0;

    TFrame FLocalFrames[LocalFrames];
    std::vector<TFrame> FMoreFrames;
    std::size_t FDepth = 0;
    TFrame* FFrame = nullptr;
    std::size_t FRuns = 0;
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

} // namespace

std::string TEngine::NameOf(const TEquation& Equation) const {
    return Equation.FunctionName().empty() ? Equation.EquationStr() : Equation.FunctionName();
}

void TEngine::Stale(const char* What) const {
    Refuse("Equation \"" + NameOf(*FFrame->Equation) + "\" cannot run: " + What +
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
            FBlocks[Next] = std::make_unique<TComplex[]>(Size);
            FBlockSizes[Next] = Size;
        }
        FBlock = Next + 1;
        FTop = FBlocks[Next].get();
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
    if (++FRuns > MaxRuns)
        Refuse("The computation runs equations more than " + std::to_string(MaxRuns) +
               " times; equations call each other too often");
    const auto& Parameters = Equation.LocalConstants().Items();
    for (std::size_t K = 0; K < Parameters.size(); ++K) {
        const TComplex Value = K < Args.size() ? Args[K] : TComplex{};
        Parameters[K]->Re = Value.Re;
        Parameters[K]->Im = Value.Im;
    }
    const std::size_t Window = static_cast<std::size_t>(Equation.StackDepth()) + 1;
    TFrame Frame{&Equation, nullptr, nullptr, nullptr, Window, FTop, FBlock};
    Frame.Sp = Reserve(Window);
    *Frame.Sp = TComplex{};
    const auto Code = Equation.Instructions();
    Frame.Ip = Code.data();
    Frame.End = Code.data() + Code.size();
    if (FDepth >= LocalFrames)
        FMoreFrames.resize(std::max(FMoreFrames.size(), FDepth - LocalFrames + 1));
    FFrame = FDepth < LocalFrames ? &FLocalFrames[FDepth] : &FMoreFrames[FDepth - LocalFrames];
    *FFrame = Frame;
    ++FDepth;
}

// Ends the current frame and returns its value.
TComplex TEngine::Leave() {
    const TComplex Result = *FFrame->Sp;
    FValuesInUse -= FFrame->Window;
    FTop = FFrame->CallerTop;
    FBlock = FFrame->CallerBlock;
    FLimit =
        FBlock == 0 ? FLocal + LocalValues : FBlocks[FBlock - 1].get() + FBlockSizes[FBlock - 1];
    --FDepth;
    FFrame = FDepth == 0                ? nullptr
             : FDepth - 1 < LocalFrames ? &FLocalFrames[FDepth - 1]
                                        : &FMoreFrames[FDepth - 1 - LocalFrames];
    return Result;
}

// Calls another equation of the list with the arguments on top of the stack. An equation with
// a compile error shows its message and yields 0.
void TEngine::Call(const TInstruction& Instruction) {
    TEquation* Callee = EntryAt(*FFrame->Equation->Owner(), Instruction.Index);
    if (!Callee) Stale("an equation it calls is gone");
    const int Count = Callee->LocalConstants().Count();
    if (Count != Instruction.Arity) Stale("an equation it calls has changed its parameters");
    TComplex*& Sp = FFrame->Sp;
    Sp -= Count - 1;
    if (!Callee->Checked()) Callee->Check();
    if (Callee->ErrorCode() != 0) {
        ShowMessage(Callee->ErrorMsg());
        *Sp = TComplex{};
        return;
    }
    Enter(*Callee, std::span<const TComplex>(Sp, static_cast<std::size_t>(Count)));
}

TComplex TEngine::Run(TEquation& Equation, std::span<const TComplex> Args) {
    TzoZezoEvaluator& Evaluator = *Equation.Owner()->Evaluator();
    const auto& Operators = Evaluator.Operators();
    const auto& Constants = Evaluator.Constants();
    const auto& Variables = Evaluator.Variables();
    const auto& Functions = Evaluator.Functions();
    Enter(Equation, Args);
    for (;;) {
        TFrame& F = *FFrame;
        TComplex* Sp = F.Sp;
        const TInstruction* Ip = F.Ip;
        for (; Ip != F.End; ++Ip) {
            switch (Ip->Kind) {
            case opRealNum: *++Sp = {Ip->Value, 0}; break;
            case opImaginaryNum: *++Sp = {0, Ip->Value}; break;
            case opOperator: {
                const TOperator* Op = EntryAt(Operators, Ip->Index);
                if (!Op || !Op->Callback)
                    Stale("an operator it uses is gone or has lost its callback");
                --Sp;
                *Sp = Op->Callback(Sp[0], Sp[1]);
                break;
            }
            case opConstant: {
                const TConstant* C = EntryAt(Constants, Ip->Index);
                if (!C) Stale("a constant it uses is gone");
                *++Sp = {C->Re, C->Im};
                break;
            }
            case opVariable: {
                const TVariable* V = EntryAt(Variables, Ip->Index);
                if (!V) Stale("a variable it uses is gone");
                *++Sp = {V->RePtr ? *V->RePtr : 0, V->ImPtr ? *V->ImPtr : 0};
                break;
            }
            case opLocalVar: {
                const TConstant* P = EntryAt(F.Equation->LocalConstants(), Ip->Index);
                if (!P) Stale("its parameters have changed");
                *++Sp = {P->Re, P->Im};
                break;
            }
            case opFunction: {
                const TFunction* Fn = EntryAt(Functions, Ip->Index);
                if (!Fn || !Fn->Callback || ArityOf(Fn->ParamCount) != Ip->Arity)
                    Stale("a function it calls is gone, has lost its callback or changed its "
                          "parameter count");
                if (Ip->Arity == TInstruction::NoArity) break;
                Sp -= Ip->Arity - 1;
                *Sp = Fn->Callback(std::span<const TComplex>(Sp, Ip->Arity));
                break;
            }
            case opLocalFunction:
                F.Sp = Sp;
                F.Ip = Ip + 1;
                Call(*Ip);
                goto NextFrame;
            }
        }
        F.Sp = Sp;
        {
            const TComplex Result = Leave();
            if (FDepth == 0) return Result;
            *FFrame->Sp = Result;
        }
    NextFrame:;
    }
}

TComplex TEquation::ComputeArgsC(std::span<const TComplex> Args) {
    if (!FChecked) Check();
    if (FErrorCode != 0) {
        ShowMessage(FErrorMsg);
        return {};
    }
    TEngine Engine;
    return Engine.Run(*this, Args);
}

} // namespace zoZezo
